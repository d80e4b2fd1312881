#include "answerbank/search/BankWatch.h"

#include <richedit.h>

#include <algorithm>
#include <vector>

namespace {

// The boxes whose window procedure is WatchProc, with the procedure each had
// before. The watch replaces the procedure itself rather than going through the
// common controls' subclassing, which looks its chain up in a window property
// on every message: under Wine a round trip to the server each time, twice for
// every request a search sends (doubling what a highlight costs).
struct Hooked {
  HWND window;
  WNDPROC previous;
};
std::vector<Hooked> hooked;

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

std::vector<Hooked>::iterator FindHooked(HWND window) {
  return std::find_if(hooked.begin(), hooked.end(), [window](const Hooked& h) { return h.window == window; });
}

LRESULT CALLBACK WatchProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const auto found = FindHooked(window);
  if (found == hooked.end()) return DefWindowProcW(window, message, wParam, lParam);
  const WNDPROC previous = found->previous;
  if (window == watched) {
    if (ChangesBox(message) && !ownRequests) ++changeCount;
    // Keyboard undo and redo do not set the modify flag under Wine.
    if ((message == WM_KEYDOWN && EditingShortcut(wParam)) || (message == WM_SYSKEYDOWN && wParam == VK_BACK))
      ++changeCount;
  }
  if (message != WM_NCDESTROY) return CallWindowProcW(previous, window, message, wParam, lParam);
  hooked.erase(found);
  if (window == watched) {
    watched = nullptr;
    ++changeCount;
  }
  return CallWindowProcW(previous, window, message, wParam, lParam);
}

// Gives the box its old procedure back, unless another one has been put over
// WatchProc since: the box then stays hooked, and WatchProc only passes its
// messages on.
void Unhook(HWND box) {
  const auto found = FindHooked(box);
  if (found == hooked.end() || !IsWindow(box)) return;
  if (GetWindowLongPtrW(box, GWLP_WNDPROC) != reinterpret_cast<LONG_PTR>(WatchProc)) return;
  SetWindowLongPtrW(box, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(found->previous));
  hooked.erase(found);
}

bool Hook(HWND box) {
  if (FindHooked(box) != hooked.end()) return true;
  const LONG_PTR previous = SetWindowLongPtrW(box, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WatchProc));
  if (!previous) return false;
  hooked.push_back({box, reinterpret_cast<WNDPROC>(previous)});
  return true;
}

}  // namespace

void WatchAnswerBank(HWND box) {
  ++changeCount;
  if (box == watched) return;
  if (watched) Unhook(watched);
  watched = nullptr;
  if (box && IsWindow(box) && Hook(box)) watched = box;
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
