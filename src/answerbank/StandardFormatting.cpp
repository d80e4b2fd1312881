#include "answerbank/StandardFormatting.h"

#include <algorithm>
#include <string>

#include "answerbank/RichEditBox.h"
#include "platform/Controls.h"
#include "platform/MessagePump.h"
#include "platform/Utf16.h"

namespace {

// The largest size the box takes, in points: one character at it is wider than
// any line of text the box can wrap.
constexpr int32_t kWidestPoints = 1638;

// How far back from the end of a range a character with a width is looked for.
constexpr long long kLookBack = 64;

bool TakesNoWidth(wchar_t c) {
  return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n' || c == L'\v' || c == L'\f' || c == 0x3000;
}

}  // namespace

// Wine's box keeps the width of the text's widest line, and each time a line
// that was the widest becomes narrower it measures every line of the text again.
// A text of many equally wide lines given a narrower font (a pasted bank reset to
// 宋体 9) thus costs it lines x lines: 16 to 21 s for 1 MB instead of 0.7 to 1.5.
// A character at the end of the range, first made wider than any line, keeps
// every line before it from being the widest; its own line is measured once, last.
void FormatInOneRequest(HWND window, long long start, long long end, const TextFormat& format) {
  RichEditBox box(window);
  const long long from = std::max(start, end - kLookBack);
  const std::wstring tail = box.Characters(from, end);
  for (size_t i = tail.size(); i-- > 0;) {
    if (TakesNoWidth(tail[i])) continue;
    const bool pair = IsLowSurrogate(tail[i]) && i > 0;
    TextFormat widest = format;
    widest.size = kWidestPoints;
    box.Select(from + static_cast<long long>(i) - (pair ? 1 : 0), pair ? 2 : 1);
    box.ApplyFormatToSelection(widest);
    break;
  }
  box.Select(start, end - start);
  box.ApplyFormatToSelection(format);
}

// One way for the search, 格式化 and the import: the whole text in one
// FormatInOneRequest. search_bench, shortest of three fresh processes, 32-bit
// build under Wine on 2 shared cores, a freshly set 1 MB bank: 1.12 s in one
// request so made (14.9 s as the box takes a plain one); in slices of 5,000
// with messages processed between them 2.29 s (the longest wait for messages
// 62 ms), of 20,000 1.70 s (77 ms), 50,000 1.40 s (161 ms), 100,000 1.87 s
// (323 ms). Every slice costs the box a walk over the whole text, and a box reset in
// slices lays out the highlights after it more slowly as well, so the first
// search on 1 MB took 1.36 times the bare reset and highlights in slices of
// 50,000 and 1.06 times in one request. One request leaves the window
// without processing messages for the reset's length (the mouse hook runs on
// a thread of its own, and 100 KB takes 0.09 s whichever way).
bool ResetWholeText(HWND window, const TextFormat& standard, const std::function<bool()>& keepGoing) {
  RichEditBox box(window);
  const long long total = box.Length();
  box.Select(0, total);
  // Text that has the format throughout already (after a drop, 格式化, or a
  // search that found nothing) would only be laid out again for nothing, which
  // takes seconds over a long text.
  const bool done = total == 0 || box.SelectionHasFormat(standard);
  if (!keepGoing()) return false;
  if (!done) {
    FormatInOneRequest(window, 0, total, standard);
    if (!keepGoing()) return false;
  }
  box.Select(0, 0);
  return true;
}

bool FormatWholeBox(HWND window) {
  return FormatWholeBox(window, [] { return true; });
}

bool FormatWholeBox(HWND window, const std::function<bool()>& keepGoing) {
  TextFormats* const formats = CurrentTextFormats();
  if (!formats) return false;
  TextFormat& standard = formats->standardFormat;
  SetPlainBlack(standard);

  RedrawSuspension quiet(window);
  ThrottledPump pump;
  return ResetWholeText(window, standard, [&] { return pump.Tick() && IsWindow(window) && keepGoing(); });
}
