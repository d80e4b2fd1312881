// A document's text through the word processor's automation server: opened
// hidden and read-only with macros off, its whole content copied to the
// clipboard there, and the clipboard's text read back.
#pragma once
#include <windows.h>

#include <string>

// "Disable all macros" for documents opened through automation (msoAutomationSecurityForceDisable).
constexpr int kMacrosForceDisabled = 3;

struct WordCopyResult {
  bool started = false;  // the application object could be created
  bool opened = false;   // it opened the file
  bool copied = false;   // the clipboard changed while it worked
  // The clipboard's Unicode text after a copy; empty without one, or when
  // what was copied holds no text.
  std::wstring text;
};

// Makes the automation calls in their fixed order. Whatever fails, every later
// call still runs (a call on a missing object does nothing). The clipboard's
// text counts only when the clipboard changed during the calls: what it held
// before is the user's, never the document's. `clipboardOwner` opens the
// clipboard for the read.
WordCopyResult ImportWordDocument(const std::wstring& path, HWND clipboardOwner);
