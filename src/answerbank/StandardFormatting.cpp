#include "answerbank/StandardFormatting.h"

#include <algorithm>
#include <string>

#include "answerbank/RichEditBox.h"
#include "platform/Controls.h"
#include "platform/MessagePump.h"
#include "platform/Utf16.h"

namespace {

// See ResetWholeText.
constexpr long long kSliceCharacters = 50000;

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

// One way for the search, 格式化 and the import: slices of 50,000 characters,
// each one FormatInOneRequest, with messages processed between them. The
// whole-text reset of a freshly set bank under Wine (search_bench (e), shortest
// of three, 32-bit build on 2 shared cores; the longest wait for messages in
// brackets): 1 MB in one request 1.12 s (14.9 s made plainly), in slices of
// 5,000 2.29 s (62 ms), 20,000 1.70 s (77 ms), 50,000 1.40 s (161 ms), 100,000
// 1.87 s (323 ms); 100 KB takes 0.08 s whichever way. Every slice costs the
// box a walk over the whole text, so small slices multiply the time. In a fresh
// box one request is the quickest (the first search on it 1.12 times the floor
// against 1.36 in slices), but the answer bank lives on: refilled piece by
// piece as an import fills it, the same 1 MB took 25 to 26 s in one request
// and 1.8 to 5.1 s in slices (search_bench (f)), and one request keeps the
// window from processing messages all that time.
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
    for (long long start = 0; start < total; start += kSliceCharacters) {
      FormatInOneRequest(window, start, std::min(total, start + kSliceCharacters), standard);
      if (!keepGoing()) return false;
    }
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
