// The picture of a view, drawn with GDI: the page's lines, and a band with the
// traces of the input received, so that a test sees both.
#pragma once
#include <windows.h>

#include <algorithm>
#include <string>

#include "View.h"
#include "platform/Handles.h"

constexpr int kHeaderHeight = 40;
constexpr int kContentTop = 48;
constexpr int kTraceHeight = 40;
constexpr int kMargin = 8;

inline int LineHeight(const View& view) { return std::max(8, static_cast<int>(18 * view.zoom + 0.5f)); }

GdiObject MakeFont(const View& view);
int TextWidth(HDC dc, const std::wstring& text);

// A memory DC with the view's font selected, for measuring text outside a paint.
class TextMeasure {
 public:
  explicit TextMeasure(const View& view) : font_(MakeFont(view)), useFont_(dc_.Get(), font_.Get()) {}
  int Width(const std::wstring& text) const { return TextWidth(dc_.Get(), text); }

 private:
  OwnedDc dc_{CreateCompatibleDC(nullptr)};
  GdiObject font_;
  SelectedObject useFont_;  // last: deselects the font before it and the DC go
};

int ContentWidth(View& view);
int ContentHeight(const View& view);
std::wstring HexWord(unsigned value);

// The whole picture: header with title and address, the page's lines, a band with
// the traces of input, the mouse mark, the focus frame and, unless the body's
// overflow is hidden, a scroll bar when the page is taller than the view.
bool DrawPicture(View& view);
// Marks the view for repainting; a transparent one is drawn at once and handed
// to its paint callback.
void MarkDirty(View& view);
