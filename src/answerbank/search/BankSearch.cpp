#include "answerbank/search/BankSearch.h"

#include "answerbank/search/QuestionStem.h"
#include "answerbank/search/SearchReport.h"
#include "answerbank/search/StemSearch.h"
#include "answerbank/search/TextFolding.h"
#include "answerbank/search/TolerantSearch.h"

BankSearchResult SearchBank(std::string_view bank, std::u16string_view bankUnits, std::string_view question,
                            std::u16string_view questionUnits, const std::function<bool()>& keepGoing) {
  BankSearchResult found;
  const std::vector<int> positions = FindOccurrences(bank, question);
  if (!positions.empty()) {
    found.outcome = BankSearchOutcome::Exact;
    found.hits = OccurrenceRanges(bank, question, positions);
    found.pieces = CutAtOccurrences(bank, question);
    return found;
  }
  if (question.empty()) return found;

  // Takes a tolerant result; false when the search has to go on.
  auto take = [&found](TolerantResult&& tolerant) {
    switch (tolerant.outcome) {
      case TolerantOutcome::NotFound: return false;
      case TolerantOutcome::Stopped: found.outcome = BankSearchOutcome::Stopped; return true;
      case TolerantOutcome::Folded: found.outcome = BankSearchOutcome::Folded; break;
      case TolerantOutcome::Closest: found.outcome = BankSearchOutcome::Closest; break;
    }
    found.hits = std::move(tolerant.hits);
    found.similarity = tolerant.similarity;
    return true;
  };
  auto takeStem = [&found](StemResult&& stem, BankSearchOutcome asFolded) {
    switch (stem.outcome) {
      case StemOutcome::NotFound: return false;
      case StemOutcome::Stopped: found.outcome = BankSearchOutcome::Stopped; return true;
      case StemOutcome::Folded: found.outcome = asFolded; break;
      case StemOutcome::Closest: found.outcome = BankSearchOutcome::Closest; break;
    }
    found.hits = std::move(stem.hits);
    found.similarity = stem.similarity;
    return true;
  };

  const std::u32string folded = FoldText(questionUnits);
  if (take(FoldedOccurrences(bankUnits, folded, FoldCharacter, keepGoing))) return found;
  const QuestionStem stem = FindStem(questionUnits);
  if (stem.furniture && takeStem(SearchStem(bankUnits, stem, keepGoing), BankSearchOutcome::Stem)) return found;
  if (take(ClosestPassages(bankUnits, folded, FoldCharacter, keepGoing))) return found;
  // A blank drawn another way ("____" for "（ ）") is all that may still differ.
  if (!stem.furniture && FoldStem(questionUnits).size() != folded.size()) {
    takeStem(SearchStem(bankUnits, stem, keepGoing), BankSearchOutcome::Folded);
  }
  return found;
}

CharRange HitSelection(const BankSearchResult& found, int k, std::string_view searchText) {
  if (found.outcome == BankSearchOutcome::Exact) return OccurrenceSelection(found.pieces, searchText, k);
  if (k < 1 || k > static_cast<int>(found.hits.size())) return {};
  return found.hits[static_cast<size_t>(k) - 1];
}

std::string BankSearchReport(const BankSearchResult& found) {
  const int count = static_cast<int>(found.hits.size());
  switch (found.outcome) {
    case BankSearchOutcome::Folded:
      return FoldedSearchReport(count);
    case BankSearchOutcome::Closest:
      return ClosestSearchReport(found.similarity, count);
    case BankSearchOutcome::Stem:
      return StemSearchReport(count);
    default:
      return SearchReport(count);
  }
}
