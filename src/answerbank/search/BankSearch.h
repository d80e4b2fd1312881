// The answer bank's search from a question to what it highlights: the exact
// search, and only when that finds nothing (and there is a question) the
// tolerant search, which also finds a question captured with an exam page's
// number, type label, score, options or answer lines by its stem
// (answerbank/search/StemSearch.h).
#pragma once
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "answerbank/search/Occurrences.h"

enum class BankSearchOutcome { NotFound, Exact, Folded, Closest, Stopped, Stem };

struct BankSearchResult {
  BankSearchOutcome outcome = BankSearchOutcome::NotFound;
  // Box ranges of what is highlighted, never overlapping, in the order
  // "下一条" steps through them: left to right, except that the stem's passages
  // come best first (StemResult).
  std::vector<CharRange> hits;
  // Exact: the bank cut at every occurrence, so that an occurrence's
  // selection follows the search text as it reads when it is selected.
  std::vector<std::string> pieces;
  int similarity = 0;  // Closest: percent of the question or its stem, rounded down
};

// `bank` and `question` as GBK (the exact search compares their bytes) and as
// the boxes' UTF-16 (the tolerant search compares code points; the bank read
// with CR LF line ends). `keepGoing` is called now and then during the
// tolerant search; when it returns false the search stops (outcome Stopped).
BankSearchResult SearchBank(std::string_view bank, std::u16string_view bankUnits, std::string_view question,
                            std::u16string_view questionUnits, const std::function<bool()>& keepGoing = {});

// The selection that shows hit k (1-based) of `found`. Exact occurrences are
// rebuilt from the pieces and `searchText` as it reads now, so editing the
// search box after searching shifts the selection; the tolerant search's hits
// are their recorded ranges.
CharRange HitSelection(const BankSearchResult& found, int k, std::string_view searchText);

// The status line after a search that ended with `found`.
std::string BankSearchReport(const BankSearchResult& found);
