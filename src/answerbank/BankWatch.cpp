#include "answerbank/BankWatch.h"

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

LRESULT CALLBACK WatchProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
  if (ChangesBox(message) && !ownRequests) ++changeCount;
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
  const bool goOn = pump();
  if (!IsWindow(box_) || changeCount != before || ModifiedOrUndone()) disturbed_ = true;
  ownRequests = true;
  return goOn;
}

unsigned long BankWatch::Settle() {
  ClearModified();
  return changeCount;
}

bool BankWatch::ModifiedOrUndone() const {
  return SendMessageW(box_, EM_GETMODIFY, 0, 0) != 0 || SendMessageW(box_, EM_CANREDO, 0, 0) != 0;
}

void BankWatch::ClearModified() { SendMessageW(box_, EM_SETMODIFY, FALSE, 0); }
