#include "answerbank/search/LocalSearch.h"

#include <algorithm>
#include <functional>

#include "answerbank/RichEditBox.h"
#include "answerbank/StandardFormatting.h"
#include "answerbank/TextFormat.h"
#include "answerbank/search/BankSearch.h"
#include "answerbank/search/BankWatch.h"
#include "answerbank/search/HighlightDifference.h"
#include "answerbank/search/SearchReport.h"
#include "answerbank/search/SearchState.h"
#include "platform/Controls.h"
#include "platform/MessagePump.h"
#include "platform/Text.h"

namespace {

LocalSearchControls searchControls;

constexpr uint32_t kRed = 0x0000FF;

// A search goes on while it is the newest one and its box still exists.
bool StillCurrent(const SearchState& state, NewestRequest::Ticket ticket) {
  return CurrentSearchState() == &state && state.searches.IsNewest(ticket) && IsWindow(searchControls.answerBank) &&
         !QuitRequested();
}

// A box with the keyboard focus moves its caret with every request, which
// under Wine makes each highlight tens of times slower: while a search sends
// its requests, the box has no focus; it gets it when the search is done.
void TakeFocusFrom(HWND box) {
  if (GetFocus() == box) SetFocus(nullptr);
}

// Applies `format` to every range, processing messages in between; false when
// the search has to stop.
bool FormatRanges(RichEditBox& box, const std::vector<CharRange>& ranges, const TextFormat& format,
                  const std::function<bool()>& keepGoing) {
  for (const CharRange& range : ranges) {
    box.Select(range.start, range.length);
    box.ApplyFormatToSelection(format);
    if (!keepGoing()) return false;
  }
  return true;
}

}  // namespace

void SetLocalSearchControls(const LocalSearchControls& controls) {
  searchControls = controls;
  WatchAnswerBank(controls.answerBank);
}

void LocalSearch() {
  SearchState* const state = CurrentSearchState();
  TextFormats* const formats = CurrentTextFormats();
  const LocalSearchControls c = searchControls;
  if (!state || !formats || !IsWindow(c.answerBank)) return;
  SearchState& g = *state;
  const NewestRequest::Ticket ticket = g.searches.Begin();
  SetWindowTextGbk(c.statusLabel, kSearchingText);

  TextFormat& standard = formats->standardFormat;
  TextFormat& highlight = formats->highlightFormat;
  SetPlainBlack(standard);
  highlight.colour = kRed;

  RichEditBox box(c.answerBank);
  // The box repaints once at the end instead of after every highlight.
  RedrawSuspension quiet(c.answerBank);
  BankWatch watch(c.answerBank);
  // Messages are processed every kPumpIntervalMs. In between only the clock is
  // read: nothing but processing messages can change the box, start a newer
  // search, close the window or give the box the focus, and every look at the
  // box is a request of its own, which under Wine costs a good part of what a
  // highlight does.
  const auto processMessages = [&] {
    const bool current = watch.Pump(PumpPendingMessages) && StillCurrent(g, ticket);
    if (current) TakeFocusFrom(c.answerBank);
    return current;
  };
  ThrottledPump throttle;
  const std::function<bool()> keepGoing = [&] { return throttle.Tick(processMessages); };

  std::string bank;
  std::u16string bankUnits;
  {
    const std::wstring wide = box.WideContent();
    bank = BoxTextToGbk(wide);
    bankUnits = AsUtf16(wide);
  }
  const std::string question = GetWindowTextGbk(c.searchBox);
  const std::u16string questionUnits = AsUtf16(GetWindowTextWide(c.searchBox));
  // The record is used up here: only a search that completes leaves a new one.
  const HighlightedBank last = std::move(g.lastBank);
  g.lastBank = HighlightedBank{};
  const bool untouched = last.valid && watch.UnchangedSince(last.changeCount) && last.text == bankUnits;

  // Lets the status line show that the search runs before the box's longest step.
  if (!processMessages()) return;
  throttle.Restart();

  // Every earlier highlight goes: the whole text becomes 宋体 9 black.
  if (!untouched && !ResetWholeText(c.answerBank, standard, keepGoing)) return;

  BankSearchResult result = SearchBank(bank, bankUnits, question, questionUnits, keepGoing);
  if (result.outcome == BankSearchOutcome::Stopped || !StillCurrent(g, ticket)) return;
  const auto found = std::make_shared<const BankSearchResult>(std::move(result));
  g.found = found;
  g.currentOccurrence = 0;

  // The box is coloured left to right whatever order "下一条" takes.
  std::vector<CharRange> hits = found->hits;
  std::sort(hits.begin(), hits.end(), [](const CharRange& a, const CharRange& b) { return a.start < b.start; });
  if (untouched) {
    // The box holds the last search's highlights and nothing else: putting back
    // those that are not highlighted again, and colouring the new ones that are
    // not red yet, leaves it exactly as a whole reset would.
    const HighlightChanges changes = HighlightDifference(last.highlights, hits);
    if (!FormatRanges(box, changes.toStandard, standard, keepGoing)) return;
    if (!FormatRanges(box, changes.toHighlight, highlight, keepGoing)) return;
  } else if (!FormatRanges(box, hits, highlight, keepGoing)) {
    return;
  }

  SetWindowTextGbk(c.statusLabel, BankSearchReport(*found));
  box.Focus();
  // Nothing stays selected: the caret stands at the start of the last hit.
  box.Select(hits.empty() ? 0 : hits.back().start, 0);
  if (!watch.Disturbed()) g.lastBank = HighlightedBank{true, std::move(bankUnits), hits, watch.Settle()};
}

void AnswerBankReplaced() {
  SearchState* const state = CurrentSearchState();
  if (!state) return;
  state->searches.StopAll();
  // The hits are places in the old text: "下一条" would select whatever stands there now.
  state->found = std::make_shared<const BankSearchResult>();
  state->currentOccurrence = 0;
}

void NextOccurrence() {
  SearchState* const state = CurrentSearchState();
  if (!state) return;
  const int k = NextOccurrenceNumber(state->currentOccurrence, static_cast<int>(state->found->hits.size()));
  if (k == 0) return;  // no search yet, or nothing found: nothing to step to
  state->currentOccurrence = k;
  SelectOccurrence(k);
}

void PreviousOccurrence() {
  SearchState* const state = CurrentSearchState();
  if (!state) return;
  const int k = PreviousOccurrenceNumber(state->currentOccurrence, static_cast<int>(state->found->hits.size()));
  if (k == 0) return;
  state->currentOccurrence = k;
  SelectOccurrence(k);
}

void SelectOccurrence(int k) {
  const SearchState* const state = CurrentSearchState();
  const LocalSearchControls c = searchControls;
  if (!state || !IsWindow(c.answerBank)) return;
  const std::shared_ptr<const BankSearchResult> found = state->found;
  const CharRange range = HitSelection(*found, k, GetWindowTextGbk(c.searchBox));
  RichEditBox box(c.answerBank);
  box.Focus();
  box.Select(range.start, range.length);
}
