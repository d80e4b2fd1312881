#include "answerbank/LocalSearch.h"

#include "answerbank/Occurrences.h"
#include "answerbank/RichCharCount.h"
#include "answerbank/RichEditBox.h"
#include "answerbank/SearchReport.h"
#include "app/Globals.h"
#include "platform/Controls.h"
#include "platform/MessagePump.h"

namespace {

LocalSearchControls searchControls;

constexpr unsigned kPumpIntervalMs = 30;

constexpr uint32_t kRed = 0x0000FF;

// A search goes on while it is the newest one and its box still exists.
bool StillCurrent(unsigned generation) {
  return generation == Globals().searchGeneration && IsWindow(searchControls.answerBank) && !QuitRequested();
}

int OccurrenceCount() {
  const auto& pieces = *Globals().occurrencePieces;
  return pieces.empty() ? 0 : static_cast<int>(pieces.size()) - 1;
}

}  // namespace

void SetLocalSearchControls(const LocalSearchControls& controls) { searchControls = controls; }

void LocalSearch() {
  GlobalObjects& g = Globals();
  const LocalSearchControls c = searchControls;
  if (!IsWindow(c.answerBank)) return;
  const unsigned generation = ++g.searchGeneration;
  SetWindowTextGbk(c.statusLabel, kSearchingText);

  SetPlainBlack(g.standardFormat);

  RichEditBox box(c.answerBank);
  // The box repaints once at the end instead of after every highlight.
  RedrawSuspension quiet(c.answerBank);
  ThrottledPump pump(kPumpIntervalMs);

  const std::string text = box.Content();
  const std::string pattern = GetWindowTextGbk(c.searchBox);
  // Lets the status line show that the search runs before the box's longest step.
  if (!PumpPendingMessages() || !StillCurrent(generation)) return;

  // Every earlier highlight goes: the whole text becomes 宋体 9 black, in one
  // request (the box reformats far faster in one pass than in slices).
  box.Select(0, RichCharCount(text));
  box.ApplyFormatToSelection(g.standardFormat);
  if (!pump.Tick() || !StillCurrent(generation)) return;
  box.Select(0, 0);

  const std::vector<int> positions = FindOccurrences(text, pattern);
  g.occurrencePieces = std::make_shared<const OccurrencePieceList>(CutAtOccurrences(text, pattern));
  g.searchPosition = 0;
  g.currentOccurrence = 0;
  box.Focus();
  g.highlightFormat.colour = kRed;

  const std::vector<CharRange> ranges = OccurrenceRanges(text, pattern, positions);
  for (size_t k = 0; k < ranges.size(); ++k) {
    box.Select(ranges[k].start, ranges[k].length);
    g.searchPosition = positions[k] + static_cast<int>(pattern.size());
    box.ApplyFormatToSelection(g.highlightFormat);
    if (!pump.Tick() || !StillCurrent(generation)) return;
  }

  SetWindowTextGbk(c.statusLabel, SearchReport(static_cast<int>(ranges.size())));
  box.ClearSelectionLength();
}

void NextOccurrence() {
  const int k = NextOccurrenceNumber(Globals().currentOccurrence, OccurrenceCount());
  if (k == 0) return;  // no search yet, or nothing found: nothing to step to
  Globals().currentOccurrence = k;
  SelectOccurrence(k);
}

void PreviousOccurrence() {
  const int k = PreviousOccurrenceNumber(Globals().currentOccurrence, OccurrenceCount());
  if (k == 0) return;
  Globals().currentOccurrence = k;
  SelectOccurrence(k);
}

void SelectOccurrence(int k) {
  const LocalSearchControls c = searchControls;
  if (!IsWindow(c.answerBank)) return;
  const std::shared_ptr<const OccurrencePieceList> pieces = Globals().occurrencePieces;
  const std::string searchText = GetWindowTextGbk(c.searchBox);
  const CharRange range = OccurrenceSelection(*pieces, searchText, k);
  RichEditBox box(c.answerBank);
  box.Focus();
  box.Select(range.start, range.length);
}
