#include "answerbank/StandardFormatting.h"

#include <algorithm>

#include "answerbank/RichCharCount.h"
#include "answerbank/RichEditBox.h"
#include "answerbank/SearchState.h"
#include "platform/Controls.h"
#include "platform/MessagePump.h"

namespace {

constexpr unsigned kPumpIntervalMs = 30;
// One format request over this many characters stays well below the time a
// window may go without processing messages, even where the box lays out slowly.
constexpr long long kSliceCharacters = 5000;

}  // namespace

bool FormatWholeBox(HWND window) {
  return FormatWholeBox(window, [] { return true; });
}

bool FormatWholeBox(HWND window, const std::function<bool()>& stillWanted) {
  SearchState* const state = CurrentSearchState();
  if (!state) return false;
  TextFormat& standard = state->standardFormat;
  SetPlainBlack(standard);

  RichEditBox box(window);
  RedrawSuspension quiet(window);
  ThrottledPump pump(kPumpIntervalMs);
  auto goOn = [&] { return pump.Tick() && IsWindow(window) && stillWanted(); };
  box.Select(0, 0);
  const std::string content = box.Content();
  if (!goOn()) return false;
  const long long total = RichCharCount(content);
  box.Select(0, total);
  // Text that has the format throughout already would only be laid out again
  // for nothing, which takes seconds over a long text.
  const bool done = total == 0 || box.SelectionHasFormat(standard);
  if (!goOn()) return false;
  if (!done) {
    for (long long start = 0; start < total; start += kSliceCharacters) {
      box.Select(start, std::min(kSliceCharacters, total - start));
      box.ApplyFormatToSelection(standard);
      if (!goOn()) return false;
    }
  }
  box.Select(0, 0);
  return true;
}
