// Files dropped on the window become the answer bank: each opened through the
// word processor's automation server and copied there, or read by the program
// itself where the word processor is missing or cannot open it. A drop that
// yields no text leaves the bank as it was and says why in the status line;
// the user's clipboard is put back once the import is over.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "answerbank/import/DroppedPaths.h"

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
  // The status line of that page, which says why files could not be loaded.
  HWND statusLabel = nullptr;
  // What the status line shows after a drop whose files all loaded (its own
  // caption): a failure reported earlier, or a search report about the bank
  // that was replaced, would be out of date.
  std::string idleStatus = std::string();
  // Called when a drop begins to replace the bank's text, so that what was
  // found in the old text is not used on the new one.
  std::function<void()> bankReplaced = nullptr;
};

void SetDocumentImportControls(const DocumentImportControls& controls);

extern const char* const kImportWaitingText;
// The status line after a drop that ran out of memory; the bank from before it
// is put back where it can be.
extern const char* const kImportNoMemoryText;
constexpr int kDelayedPasteMs = 100;

// The file-drop handler. The files are imported one after the other, in the
// shell's order, and their texts joined with one empty line between them.
// One import runs at a time: it processes messages, and a drop arriving
// meanwhile stops it at its next step and is imported after it.
void OnFilesDropped(const DroppedPaths& paths);

// When the window closes: a delayed paste still waiting is given up and the
// user's clipboard put back at once.
void EndImportOnClose();

// The tick of the delayed-paste timer, armed only after the word processor
// copied a single file as something without text: the box, still empty,
// gets the clipboard pasted; then the user's clipboard is put back.
void DelayedPaste();
