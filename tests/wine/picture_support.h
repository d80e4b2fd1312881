// Pictures for the renderer tests: the screen's pixels over a window, the
// stand-in engine's own picture of a view, and a comparison that names the
// first differing pixel. Pixels are 0x00RRGGBB, top row first.
#pragma once
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "check.h"
#include "engine_support.h"
#include "platform/Handles.h"
#include "view/Renderer.h"

namespace picture_test {

// A page with a title band, lines of text and a link; with the pointer at
// (300, 150) the stand-in marks it in red.
constexpr wchar_t kPage[] =
    L"<title>渲染测试 Render</title><p>第一行 first line</p><a href='https://example.com/'>a link</a>"
    L"<p>最后一行</p>";
constexpr uint32_t kHeaderColour = 0x284678u;      // RGB(40, 70, 120), the title band
constexpr uint32_t kBackgroundColour = 0xF0F4E8u;  // below the lines
constexpr uint32_t kMouseColour = 0xFF0000u;

inline void LoadPage(WkeView view) {
  wkeLoadHTMLW(view, kPage);
  wkeFireMouseEvent(view, WM_MOUSEMOVE, 300, 150, 0);
}

// The screen's pixels of the rectangle at (left, top). Nothing is pumped here:
// under Wine a window's paint covers what Direct3D or Direct2D put on it.
inline std::vector<uint32_t> ScreenPixels(int left, int top, int width, int height) {
  GdiFlush();
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
  const WindowDc screen(nullptr);
  const OwnedDc memory(CreateCompatibleDC(screen.Get()));
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  const GdiObject bitmap(CreateDIBSection(screen.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bits) return pixels;
  const SelectedObject selected(memory.Get(), bitmap.Get());
  BitBlt(memory.Get(), 0, 0, width, height, screen.Get(), left, top, SRCCOPY);
  GdiFlush();
  for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<const uint32_t*>(bits)[i] & 0x00FFFFFFu;
  return pixels;
}

// The stand-in's picture of the view, painted into a buffer of our own. It
// marks the view clean, as any paint does.
inline std::vector<uint32_t> EnginePicture(WkeView view, int width, int height) {
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
  wkePaint2(view, pixels.data(), 0);
  for (uint32_t& p : pixels) p &= 0x00FFFFFFu;
  return pixels;
}

inline void FillWindow(HWND window, COLORREF colour) {
  const WindowDc dc(window);
  RECT all{};
  GetClientRect(window, &all);
  const GdiObject brush(CreateSolidBrush(colour));
  FillRect(dc.Get(), &all, static_cast<HBRUSH>(brush.Get()));
  GdiFlush();
}

// Draws frames of the view, marked changed, until the screen at (left, top)
// shows the picture, and returns what it showed last. Under Wine a window's
// paint covers what Direct3D or Direct2D drew, and a new window's first paints
// may come late; the paint loop, too, draws again after them.
inline std::vector<uint32_t> ShownOnScreen(Renderer& renderer, WkeView view, const std::vector<uint32_t>& picture,
                                           int left, int top, int width, int height) {
  std::vector<uint32_t> screen;
  for (int frame = 0; frame < 20 && screen != picture; ++frame) {
    engine_test::Pump();
    wkeSetDirty(view, true);
    renderer.Render(view);
    Sleep(30);
    screen = ScreenPixels(left, top, width, height);
  }
  return screen;
}

// Fails, naming the first difference, unless both pictures of that width agree
// pixel for pixel.
inline bool SamePicture(const std::vector<uint32_t>& actual, const std::vector<uint32_t>& expected, int width,
                        const char* file, int line) {
  if (actual.size() != expected.size()) {
    check::Fail(file, line,
                "pictures of " + std::to_string(actual.size()) + " and " + std::to_string(expected.size()) + " pixels");
    return false;
  }
  size_t count = 0;
  size_t first = 0;
  for (size_t i = 0; i < actual.size(); ++i) {
    if (actual[i] != expected[i] && count++ == 0) first = i;
  }
  if (count == 0) return true;
  char detail[160];
  std::snprintf(detail, sizeof detail, "%zu pixels differ; the first at (%d, %d): %06X, expected %06X", count,
                static_cast<int>(first % width), static_cast<int>(first / width), actual[first], expected[first]);
  check::Fail(file, line, detail);
  return false;
}
#define CHECK_SAME_PICTURE(actual, expected, width) picture_test::SamePicture((actual), (expected), (width), __FILE__, __LINE__)

// The row pitch the last wkePaint2 was given, from the call log
// ("wkePaint2(#1, 0x…, 2400)"); -1 without a paint.
inline int LastPaintPitch(const std::wstring& log) {
  const size_t at = log.rfind(L"wkePaint2(");
  if (at == std::wstring::npos) return -1;
  const size_t comma = log.rfind(L", ", log.find(L')', at));
  return _wtoi(log.c_str() + comma + 2);
}

inline uint32_t At(const std::vector<uint32_t>& pixels, int width, int x, int y) {
  const size_t i = static_cast<size_t>(y) * width + x;
  return i < pixels.size() ? pixels[i] : 0xFFFFFFFFu;
}

}  // namespace picture_test
