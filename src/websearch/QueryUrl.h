// The three web-search engines, their query URLs and the rule that keeps
// exactly one of them chosen. No Windows header: tested natively.
#pragma once
#include <array>
#include <string>

struct SearchEngine {
  const char* host;
  const char* queryPrefix;  // path and query key, up to the search text
  bool percentEncodeAll;    // true: PercentEncode; false: only the URL's own delimiters escaped
};

constexpr int kEngineCount = 3;

// In their order of evaluation.
const std::array<SearchEngine, kEngineCount>& SearchEngines();

// Every byte other than 0-9, A-Z and a-z as "%" and two uppercase hex digits.
std::string PercentEncode(const std::string& text);

// The text byte for byte, except "%", "&", "#" and "+", which would end the
// query value, start a fragment or read as a space, so are percent-encoded.
std::string EscapeUrlDelimiters(const std::string& text);

// "https://" + host + prefix + the search text as the engine takes it.
std::string QueryUrl(const SearchEngine& engine, const std::string& searchText);

using EngineChoice = std::array<bool, kEngineCount>;

// None checked: the first engine becomes the choice.
EngineChoice NormalizeEngineChoice(EngineChoice choice);

// After a click on box `clicked` left it in `choice`: checking one clears the
// others, unchecking leaves the rest as they are.
EngineChoice AfterEngineToggled(EngineChoice choice, int clicked);
