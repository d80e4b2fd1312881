#include "Picture.h"

#include <algorithm>
#include <cstring>

#include "CallLog.h"
#include "Exports.h"

namespace {

constexpr COLORREF kBackground = RGB(240, 244, 232);
constexpr COLORREF kHeader = RGB(40, 70, 120);
constexpr COLORREF kTraceBand = RGB(255, 250, 205);
constexpr COLORREF kMouseMark = RGB(255, 0, 0);
constexpr COLORREF kFocusFrame = RGB(255, 128, 0);
constexpr COLORREF kScrollBar = RGB(160, 160, 160);

bool EnsurePicture(View& view) {
  if (!view.dc) {
    view.dc.Reset(CreateCompatibleDC(nullptr));
    if (!view.dc) return false;
  }
  if (view.pixels && view.pictureWidth == view.width && view.pictureHeight == view.height) return true;
  if (view.width <= 0 || view.height <= 0) return false;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = view.width;
  info.bmiHeader.biHeight = -view.height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  GdiObject bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap || !bits) return false;
  // The old bitmap leaves the DC before it is deleted.
  view.bitmapSelection.reset();
  view.bitmap = std::move(bitmap);
  view.bitmapSelection.emplace(view.dc.Get(), view.bitmap.Get());
  view.pixels = static_cast<uint32_t*>(bits);
  view.pictureWidth = view.width;
  view.pictureHeight = view.height;
  return true;
}

void FillBox(HDC dc, int left, int top, int right, int bottom, COLORREF colour) {
  const RECT box{left, top, right, bottom};
  const GdiObject brush(CreateSolidBrush(colour));
  FillRect(dc, &box, static_cast<HBRUSH>(brush.Get()));
}

void DrawLine(HDC dc, int x, int y, const std::wstring& text, COLORREF colour) {
  SetTextColor(dc, colour);
  TextOutW(dc, x, y, text.c_str(), static_cast<int>(text.size()));
}

wchar_t Hex(unsigned digit) { return static_cast<wchar_t>(digit < 10 ? L'0' + digit : L'A' + digit - 10); }

}  // namespace

GdiObject MakeFont(const View& view) {
  return GdiObject(CreateFontW(-std::max(6, static_cast<int>(13 * view.zoom + 0.5f)), 0, 0, 0, FW_NORMAL, FALSE,
                               FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                               NONANTIALIASED_QUALITY, DEFAULT_PITCH, L"SimSun"));
}

int TextWidth(HDC dc, const std::wstring& text) {
  SIZE size{};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  return size.cx;
}

int ContentWidth(View& view) {
  if (view.page.statedWidth >= 0) return view.page.statedWidth;
  if (!view.loaded) return 0;
  const TextMeasure measure(view);
  int widest = 0;
  for (const PageLine& line : view.page.lines) widest = std::max(widest, measure.Width(line.text));
  return widest + 2 * kMargin;
}

int ContentHeight(const View& view) {
  if (view.page.statedHeight >= 0) return view.page.statedHeight;
  if (!view.loaded) return 0;
  return kContentTop + static_cast<int>(view.page.lines.size()) * LineHeight(view) + kMargin;
}

std::wstring HexWord(unsigned value) {
  std::wstring out = L"0x";
  for (int shift = 12; shift >= 0; shift -= 4) out += Hex((value >> shift) & 15);
  return out;
}

bool DrawPicture(View& view) {
  if (!EnsurePicture(view)) return false;
  HDC dc = view.dc.Get();
  const int w = view.width;
  const int h = view.height;
  FillBox(dc, 0, 0, w, h, kBackground);
  const GdiObject font = MakeFont(view);
  const SelectedObject useFont(dc, font.Get());
  SetBkMode(dc, TRANSPARENT);
  const int lineHeight = LineHeight(view);

  int y = kContentTop - view.scrollY;
  for (const PageLine& line : view.page.lines) {
    if (y + lineHeight > kHeaderHeight && y < h) {
      DrawLine(dc, kMargin, y, line.text, line.href.empty() ? RGB(0, 0, 0) : RGB(0, 0, 238));
      if (!line.href.empty()) FillBox(dc, kMargin, y + lineHeight - 3, kMargin + TextWidth(dc, line.text),
                                      y + lineHeight - 2, RGB(0, 0, 238));
    }
    y += lineHeight;
  }

  FillBox(dc, 0, 0, w, kHeaderHeight, kHeader);
  DrawLine(dc, kMargin, 3, view.title, RGB(255, 255, 255));
  DrawLine(dc, kMargin, 21, view.url, RGB(200, 220, 255));

  if (view.page.overflow != L"hidden" && ContentHeight(view) > h) FillBox(dc, w - 8, kHeaderHeight, w, h, kScrollBar);

  const int band = h - kTraceHeight;
  FillBox(dc, 0, band, w, h, kTraceBand);
  std::wstring typedLine = L"typed: " + view.typed;
  if (view.selectedAll) typedLine += L"  [all selected]";
  if (view.editable) typedLine += L"  [editable]";
  DrawLine(dc, kMargin, band + 3, typedLine, RGB(0, 0, 0));
  std::wstring inputLine = L"mouse " + HexWord(view.mouseMessage) + L" (" + std::to_wstring(view.mouseX) + L", " +
                           std::to_wstring(view.mouseY) + L") " + HexWord(view.mouseFlags) + L"  key " + view.lastKey;
  if (!view.lastMenu.empty()) inputLine += L"  menu " + view.lastMenu;
  if (!view.lastWheel.empty()) inputLine += L"  wheel " + view.lastWheel;
  DrawLine(dc, kMargin, band + 21, inputLine, RGB(0, 0, 0));

  if (view.mouseX >= 0 && view.mouseY >= 0) {
    FillBox(dc, view.mouseX - 3, view.mouseY - 3, view.mouseX + 3, view.mouseY + 3, kMouseMark);
  }
  if (view.focused) {
    FillBox(dc, 0, 0, w, 2, kFocusFrame);
    FillBox(dc, 0, h - 2, w, h, kFocusFrame);
    FillBox(dc, 0, 0, 2, h, kFocusFrame);
    FillBox(dc, w - 2, 0, w, h, kFocusFrame);
  }
  GdiFlush();

  // GDI leaves alpha at 0. Opaque views are opaque everywhere; a transparent view
  // shows through where its background is (premultiplied: colour 0 there too).
  const uint32_t background = (GetRValue(kBackground) << 16) | (GetGValue(kBackground) << 8) | GetBValue(kBackground);
  uint32_t* pixel = view.pixels;
  for (int i = 0; i < w * h; ++i, ++pixel) {
    const uint32_t colour = *pixel & 0x00FFFFFFu;
    *pixel = view.transparent && colour == background ? 0u : (colour | 0xFF000000u);
  }
  return true;
}

void MarkDirty(View& view) {
  view.dirty = true;
  const Callback& paint = view.callbacks[kPaintSlot];
  if (view.transparent && paint.function && DrawPicture(view)) {
    Log(L"> paintUpdated(" + V(reinterpret_cast<WkeView>(&view)) + L", " + P(paint.param) + L", 0, 0, " +
        I(view.width) + L", " + I(view.height) + L")");
    reinterpret_cast<WkePaintUpdatedCallback>(paint.function)(reinterpret_cast<WkeView>(&view), paint.param, view.dc.Get(),
                                                              0, 0, view.width, view.height);
  }
}

STANDIN_EXPORT void WKE_CALL wkeResize(WkeView handle, int width, int height) {
  LogCall(L"wkeResize", {V(handle), I(width), I(height)});
  View* view = Find(handle);
  if (!view || (view->width == width && view->height == height)) return;
  view->width = std::max(0, width);
  view->height = std::max(0, height);
  MarkDirty(*view);
}

STANDIN_EXPORT void WKE_CALL wkeSetDirty(WkeView handle, bool dirty) {
  LogCall(L"wkeSetDirty", {V(handle), B(dirty)});
  if (View* view = Find(handle)) {
    if (dirty) {
      MarkDirty(*view);
    } else {
      view->dirty = false;
    }
  }
}

STANDIN_EXPORT void WKE_CALL wkePaint2(WkeView handle, void* bits, int pitch) {
  LogCall(L"wkePaint2", {V(handle), P(bits), I(pitch)});
  View* view = Find(handle);
  if (!view || !bits) return;
  if (DrawPicture(*view)) {
    const int rowBytes = view->width * 4;
    const int step = pitch == 0 ? rowBytes : pitch;
    auto* out = static_cast<unsigned char*>(bits);
    for (int row = 0; row < view->height; ++row) {
      memcpy(out + static_cast<ptrdiff_t>(row) * step, view->pixels + static_cast<ptrdiff_t>(row) * view->width,
             static_cast<size_t>(rowBytes));
    }
  }
  view->dirty = view->stayDirty;
}


// The caret sits after the typed text in the trace band.
STANDIN_EXPORT WkeRect WKE_CALL wkeGetCaretRect(WkeView handle) {
  LogCall(L"wkeGetCaretRect", {V(handle)});
  WkeRect caret{0, 0, 0, 0};
  View* view = Find(handle);
  if (!view) return caret;
  caret.x = kMargin + TextMeasure(*view).Width(L"typed: " + view->typed);
  caret.y = view->height - kTraceHeight + 3;
  caret.width = 1;
  caret.height = LineHeight(*view);
  return caret;
}
