#include "answerbank/search/BankSearch.h"

#include "answerbank/search/SearchReport.h"
#include "answerbank/search/StemSearch.h"

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

  QuestionSearchResult tolerant = SearchQuestionAndStem(bankUnits, questionUnits, keepGoing);
  switch (tolerant.outcome) {
    case QuestionSearchOutcome::NotFound: return found;
    case QuestionSearchOutcome::Stopped: found.outcome = BankSearchOutcome::Stopped; return found;
    case QuestionSearchOutcome::Folded: found.outcome = BankSearchOutcome::Folded; break;
    case QuestionSearchOutcome::Stem: found.outcome = BankSearchOutcome::Stem; break;
    case QuestionSearchOutcome::Closest: found.outcome = BankSearchOutcome::Closest; break;
  }
  found.hits = std::move(tolerant.hits);
  found.similarity = tolerant.similarity;
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
