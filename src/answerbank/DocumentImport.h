// A document dropped on the window becomes the answer bank: opened through
// the word processor's automation server, copied to the clipboard there, and
// the clipboard's text put into the box.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "answerbank/DroppedPaths.h"

// What the import works on. The main window registers its own; tests register theirs.
struct DocumentImportControls {
  HWND answerBank = nullptr;
  // Writes the tab control's current page (which raises no event).
  std::function<void(int page)> setCurrentPage;
  // The tab control's click handler, called directly.
  std::function<void()> tabClicked;
  // Sets the interval of the delayed-paste timer; 0 stops it.
  std::function<void(int intervalMs)> setPasteTimer;
  // The page of the tab control that shows the answer bank, set as the current
  // page when a drop arrives.
  int answerBankPage = 1;
};

void SetDocumentImportControls(const DocumentImportControls& controls);

extern const char* const kImportWaitingText;
constexpr int kDelayedPasteMs = 100;

// The file-drop handler.
void OnFilesDropped(const DroppedPaths& paths);

// Opens the file in the word processor, copies its whole content there and
// returns the clipboard's text as GBK. Whatever fails, every later step still
// runs, and the result is whatever text the clipboard then holds.
std::string ImportWordDocument(const std::wstring& path);
std::string ImportWordDocument(const std::string& gbkPath);

// The tick of the delayed-paste timer: one more attempt, by pasting the
// clipboard into the box, when an import left it empty.
void DelayedPaste();
