// What the stand-in engine understands of a page and of a script: HTML becomes
// lines of text (links are lines of their own), and a script is a list of
// simple statements.
#pragma once
#include <string>
#include <string_view>
#include <vector>

struct PageLine {
  std::wstring text;
  std::wstring href;    // empty: not a link
  std::wstring target;  // the link's target frame; "" or "_self" stays in the view
};

struct Page {
  std::wstring title;
  std::vector<PageLine> lines;
  std::vector<std::wstring> scripts;
  int statedWidth = -1;  // from the body's style, -1 when not stated
  int statedHeight = -1;
  std::wstring overflow = L"visible";
};

Page ParseHtml(std::wstring_view html);

// name(arguments), target = value, or a bare name to read.
struct Statement {
  enum Kind { kCall, kAssign, kRead } kind = kRead;
  std::wstring name;
  std::vector<std::wstring> arguments;  // quotes removed
  std::wstring value;
};

std::vector<Statement> ParseScript(std::wstring_view script);

// "menubar=no,width=300,..." → the value of one feature: 1 for yes/1/a bare
// name, 0 for no/0, a number for numbers, `absent` when not named.
int FeatureValue(std::wstring_view features, std::wstring_view name, int absent);
