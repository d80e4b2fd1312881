#include "platform/Controls.h"

#include <commctrl.h>

#include <map>

#include "platform/Text.h"

std::string GetWindowTextGbk(HWND window) { return WideToGbk(GetWindowTextWide(window)); }

std::wstring GetWindowTextWide(HWND window) {
  const LRESULT length = SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
  if (length <= 0) return {};
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const LRESULT copied = SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
  return text;
}

void SetWindowTextGbk(HWND window, std::string_view text) {
  const std::wstring wide = GbkToWide(text);
  SendMessageW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()));
}

bool IsChecked(HWND button) { return SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }

void SetChecked(HWND button, bool checked) {
  SendMessageW(button, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

int SliderPosition(HWND slider) { return static_cast<int>(SendMessageW(slider, TBM_GETPOS, 0, 0)); }

void SetWindowSize(HWND window, int width, int height) {
  SetWindowPos(window, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

RECT ScreenRect(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  return rect;
}

bool AskYesNo(HWND owner, std::string_view question, std::string_view title) {
  const std::wstring text = GbkToWide(question);
  const std::wstring caption = GbkToWide(title);
  return MessageBoxW(owner, text.c_str(), caption.c_str(), MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
}

namespace {

struct Suspension {
  int depth = 0;
  // Whether the window is to be shown once its drawing is back on.
  bool shown = false;
};

std::map<HWND, Suspension>& Suspensions() {
  static std::map<HWND, Suspension> suspensions;
  return suspensions;
}

bool HasVisibleStyle(HWND window) { return (GetWindowLongPtrW(window, GWL_STYLE) & WS_VISIBLE) != 0; }

// Repaints what lies under a window that was just marked hidden without the
// system knowing to uncover it.
void UncoverArea(HWND window) {
  const HWND parent = GetParent(window);
  if (!parent) return;
  RECT area = ScreenRect(window);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&area), 2);
  RedrawWindow(parent, &area, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

}  // namespace

RedrawSuspension::RedrawSuspension(HWND window) : window_(window) {
  Suspension& suspension = Suspensions()[window_];
  if (suspension.depth++ > 0) return;
  suspension.shown = HasVisibleStyle(window_);
  SendMessageW(window_, WM_SETREDRAW, FALSE, 0);
}

RedrawSuspension::~RedrawSuspension() {
  const auto found = Suspensions().find(window_);
  if (found == Suspensions().end() || --found->second.depth > 0) return;
  const bool shown = found->second.shown;
  Suspensions().erase(found);
  if (!IsWindow(window_)) return;
  // Drawing back on marks the window shown, whatever it is meant to be.
  SendMessageW(window_, WM_SETREDRAW, TRUE, 0);
  if (!shown) {
    ShowWindow(window_, SW_HIDE);
    return;
  }
  InvalidateRect(window_, nullptr, TRUE);
}

void ShowControl(HWND window, bool shown) {
  const auto found = Suspensions().find(window);
  if (found == Suspensions().end()) {
    ShowWindow(window, shown ? SW_SHOWNA : SW_HIDE);
    return;
  }
  if (found->second.shown == shown) return;
  found->second.shown = shown;
  if (shown) {
    ShowWindow(window, SW_SHOWNA);
    UpdateWindow(window);
    SendMessageW(window, WM_SETREDRAW, FALSE, 0);
  } else {
    // Marked hidden already while its drawing is off: the page behind it is
    // drawn now, and the window is hidden for good when its drawing resumes.
    UncoverArea(window);
  }
}
