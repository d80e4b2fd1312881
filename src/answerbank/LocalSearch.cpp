#include "answerbank/LocalSearch.h"

#include "answerbank/Occurrences.h"
#include "answerbank/RichCharCount.h"
#include "answerbank/RichEditBox.h"
#include "answerbank/SearchReport.h"
#include "answerbank/SearchState.h"
#include "platform/Controls.h"
#include "platform/MessagePump.h"

namespace {

LocalSearchControls searchControls;

constexpr unsigned kPumpIntervalMs = 30;

constexpr uint32_t kRed = 0x0000FF;

// A search goes on while it is the newest one and its box still exists.
bool StillCurrent(const SearchState& state, unsigned generation) {
  return CurrentSearchState() == &state && generation == state.searchGeneration &&
         IsWindow(searchControls.answerBank) && !QuitRequested();
}

int OccurrenceCount(const SearchState& state) {
  const auto& pieces = *state.occurrencePieces;
  return pieces.empty() ? 0 : static_cast<int>(pieces.size()) - 1;
}

}  // namespace

void SetLocalSearchControls(const LocalSearchControls& controls) { searchControls = controls; }

void LocalSearch() {
  SearchState* const state = CurrentSearchState();
  const LocalSearchControls c = searchControls;
  if (!state || !IsWindow(c.answerBank)) return;
  SearchState& g = *state;
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
  if (!PumpPendingMessages() || !StillCurrent(g, generation)) return;

  // Every earlier highlight goes: the whole text becomes 宋体 9 black, in one
  // request (the box reformats far faster in one pass than in slices).
  box.Select(0, RichCharCount(text));
  box.ApplyFormatToSelection(g.standardFormat);
  if (!pump.Tick() || !StillCurrent(g, generation)) return;
  box.Select(0, 0);

  const std::vector<int> positions = FindOccurrences(text, pattern);
  g.occurrencePieces = std::make_shared<const OccurrencePieceList>(CutAtOccurrences(text, pattern));
  g.currentOccurrence = 0;
  box.Focus();
  g.highlightFormat.colour = kRed;

  const std::vector<CharRange> ranges = OccurrenceRanges(text, pattern, positions);
  for (const CharRange& range : ranges) {
    box.Select(range.start, range.length);
    box.ApplyFormatToSelection(g.highlightFormat);
    if (!pump.Tick() || !StillCurrent(g, generation)) return;
  }

  SetWindowTextGbk(c.statusLabel, SearchReport(static_cast<int>(ranges.size())));
  box.ClearSelectionLength();
}

void NextOccurrence() {
  SearchState* const state = CurrentSearchState();
  if (!state) return;
  const int k = NextOccurrenceNumber(state->currentOccurrence, OccurrenceCount(*state));
  if (k == 0) return;  // no search yet, or nothing found: nothing to step to
  state->currentOccurrence = k;
  SelectOccurrence(k);
}

void PreviousOccurrence() {
  SearchState* const state = CurrentSearchState();
  if (!state) return;
  const int k = PreviousOccurrenceNumber(state->currentOccurrence, OccurrenceCount(*state));
  if (k == 0) return;
  state->currentOccurrence = k;
  SelectOccurrence(k);
}

void SelectOccurrence(int k) {
  const SearchState* const state = CurrentSearchState();
  const LocalSearchControls c = searchControls;
  if (!state || !IsWindow(c.answerBank)) return;
  const std::shared_ptr<const OccurrencePieceList> pieces = state->occurrencePieces;
  const std::string searchText = GetWindowTextGbk(c.searchBox);
  const CharRange range = OccurrenceSelection(*pieces, searchText, k);
  RichEditBox box(c.answerBank);
  box.Focus();
  box.Select(range.start, range.length);
}
