#include "answerbank/StandardFormatting.h"

#include <algorithm>

#include "answerbank/RichCharCount.h"
#include "answerbank/RichEditBox.h"
#include "platform/Controls.h"
#include "platform/MessagePump.h"

namespace {

// One format request over this many characters stays well below the time a
// window may go without processing messages, even where the box lays out slowly.
constexpr long long kSliceCharacters = 5000;

}  // namespace

bool FormatWholeBox(HWND window) {
  return FormatWholeBox(window, [] { return true; });
}

bool FormatWholeBox(HWND window, const std::function<bool()>& keepGoing) {
  TextFormats* const formats = CurrentTextFormats();
  if (!formats) return false;
  TextFormat& standard = formats->standardFormat;
  SetPlainBlack(standard);

  RichEditBox box(window);
  RedrawSuspension quiet(window);
  ThrottledPump pump;
  auto pumpAndKeepGoing = [&] { return pump.Tick() && IsWindow(window) && keepGoing(); };
  box.Select(0, 0);
  const std::string content = box.Content();
  if (!pumpAndKeepGoing()) return false;
  const long long total = RichCharCount(content);
  box.Select(0, total);
  // Text that has the format throughout already would only be laid out again
  // for nothing, which takes seconds over a long text.
  const bool done = total == 0 || box.SelectionHasFormat(standard);
  if (!pumpAndKeepGoing()) return false;
  if (!done) {
    for (long long start = 0; start < total; start += kSliceCharacters) {
      box.Select(start, std::min(kSliceCharacters, total - start));
      box.ApplyFormatToSelection(standard);
      if (!pumpAndKeepGoing()) return false;
    }
  }
  box.Select(0, 0);
  return true;
}
