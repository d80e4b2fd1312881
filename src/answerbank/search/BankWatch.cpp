#include "answerbank/search/BankWatch.h"

#include <commctrl.h>
#include <richedit.h>

namespace {

constexpr UINT_PTR kSubclassId = 0x42414E4B;

HWND watched = nullptr;
unsigned long changeCount = 0;
// True while a search sends its own requests (never while it processes messages).
bool ownRequests = false;

// Requests from code that can change the box's text or the format of its text.
bool ChangesBox(UINT message) {
  switch (message) {
    case WM_SETTEXT:
    case EM_SETTEXTEX:
    case EM_STREAMIN:
    case EM_REPLACESEL:
    case WM_PASTE:
    case EM_PASTESPECIAL:
    case WM_CUT:
    case WM_CLEAR:
    case WM_UNDO:
    case EM_UNDO:
    case EM_REDO:
    case EM_SETCHARFORMAT:
    case WM_SETFONT:
      return true;
    default:
      return false;
  }
}

// A key that, with Ctrl held, the box may answer with a change: anything but
// moving the caret, selecting and copying (undo, redo, paste, cut, deleting a
// word, and the format shortcuts some versions of the box have).
bool EditingShortcut(WPARAM key) {
  switch (key) {
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
    case VK_HOME:
    case VK_END:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_INSERT:  // copy
    case VK_CONTROL:
    case VK_SHIFT:
    case 'A':
    case 'C':
      return false;
    default:
      return (GetKeyState(VK_CONTROL) & 0x8000) != 0;
  }
}

LRESULT CALLBACK WatchProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
  if (ChangesBox(message) && !ownRequests) ++changeCount;
  // Keyboard undo and redo do not set the modify flag under Wine.
  if ((message == WM_KEYDOWN && EditingShortcut(wParam)) || (message == WM_SYSKEYDOWN && wParam == VK_BACK))
    ++changeCount;
  if (message == WM_NCDESTROY) {
    RemoveWindowSubclass(window, WatchProc, kSubclassId);
    if (window == watched) watched = nullptr;
    ++changeCount;
  }
  return DefSubclassProc(window, message, wParam, lParam);
}

}  // namespace

void WatchAnswerBank(HWND box) {
  ++changeCount;
  if (box == watched) return;
  if (watched && IsWindow(watched)) RemoveWindowSubclass(watched, WatchProc, kSubclassId);
  watched = nullptr;
  if (box && IsWindow(box) && SetWindowSubclass(box, WatchProc, kSubclassId, 0)) watched = box;
}

BankWatch::BankWatch(HWND box) : box_(box), wasOwn_(ownRequests) { ownRequests = true; }

BankWatch::~BankWatch() { ownRequests = wasOwn_; }

bool BankWatch::UnchangedSince(unsigned long count) const {
  return watched == box_ && count == changeCount && !ModifiedOrUndone();
}

bool BankWatch::Pump(const std::function<bool()>& pump) {
  ownRequests = false;
  ClearModified();
  const unsigned long before = changeCount;
  const bool keepGoing = pump();
  if (!IsWindow(box_) || changeCount != before || ModifiedOrUndone()) disturbed_ = true;
  ownRequests = true;
  return keepGoing;
}

unsigned long BankWatch::Settle() {
  ClearModified();
  return changeCount;
}

bool BankWatch::ModifiedOrUndone() const {
  return SendMessageW(box_, EM_GETMODIFY, 0, 0) != 0 || SendMessageW(box_, EM_CANREDO, 0, 0) != 0;
}

void BankWatch::ClearModified() { SendMessageW(box_, EM_SETMODIFY, FALSE, 0); }
