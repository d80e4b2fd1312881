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

namespace {
std::map<HWND, int>& SuspendDepth() {
  static std::map<HWND, int> depth;
  return depth;
}
}  // namespace

RedrawSuspension::RedrawSuspension(HWND window) : window_(window) {
  if (SuspendDepth()[window_]++ == 0) SendMessageW(window_, WM_SETREDRAW, FALSE, 0);
}

RedrawSuspension::~RedrawSuspension() {
  auto found = SuspendDepth().find(window_);
  if (found == SuspendDepth().end() || --found->second > 0) return;
  SuspendDepth().erase(found);
  if (!IsWindow(window_)) return;
  SendMessageW(window_, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(window_, nullptr, TRUE);
}
