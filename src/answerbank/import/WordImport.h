// A document's text through the word processor's automation server: opened
// hidden and read-only with macros off, its whole content copied to the
// clipboard there, and the clipboard's text read back.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "platform/ClipboardLoan.h"

// "Disable all macros" for documents opened through automation (msoAutomationSecurityForceDisable).
constexpr int kMacrosForceDisabled = 3;

// Given as the document's password, so that a protected document fails at
// once instead of leaving the hidden window waiting for a password nobody can
// type: no password box takes control characters.
extern const wchar_t* const kNoDocumentPassword;

struct WordCopyResult {
  bool started = false;  // the application object could be created
  bool opened = false;   // it opened the file
  bool copied = false;   // the clipboard changed while it worked
  // The step did not end within its bounds: the word processor was given up
  // (and its process ended where it runs in one of its own).
  bool timedOut = false;
  // The clipboard's Unicode text after a copy; empty without one, or when
  // what was copied holds no text.
  std::wstring text;
};

struct WordStepOptions {
  const wchar_t* progId = L"Word.Application";
  // Creating, opening and copying one document; then quitting, whatever
  // came of it. A call past its bound is given up, and a word processor that
  // does not quit is ended.
  DWORD workMs = 60000;
  DWORD quitMs = 10000;
  // Called while the word processor works, on the calling thread, about every
  // 30 ms: it may process messages. False gives the step up.
  std::function<bool()> goOn;
};

// Makes the automation calls in their fixed order, on a thread of their own.
// Whatever fails, every later call still runs (a call on a missing object does
// nothing). The clipboard's text counts only when the clipboard changed during
// the calls: what it held before is the user's, never the document's. The
// clipboard is `loan`'s: its text is read as the loan's own copy.
WordCopyResult ImportWordDocument(const std::wstring& path, ClipboardLoan& loan, const WordStepOptions& options = {});
