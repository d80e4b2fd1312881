// Where a search text occurs in the answer bank, the pieces between the
// occurrences, and the selection that shows one occurrence.
#pragma once
#include <string>
#include <string_view>
#include <vector>

// 1-based byte positions of the occurrences of `pattern` in `text`, each find
// starting right after the previous occurrence, so occurrences never overlap.
std::vector<int> FindOccurrences(std::string_view text, std::string_view pattern);

// The text cut at those occurrences: N occurrences give N + 1 pieces (the last
// may be empty). An empty pattern finds nothing and gives the whole text.
std::vector<std::string> CutAtOccurrences(std::string_view text, std::string_view pattern);

struct CharRange {
  long long start = 0;   // 0-based character position in the rich edit box
  long long length = 0;  // characters
  bool operator==(const CharRange& other) const { return start == other.start && length == other.length; }
};

// Rich edit selections of every occurrence, counted in one forward walk over the text.
std::vector<CharRange> OccurrenceRanges(std::string_view text, std::string_view pattern,
                                        const std::vector<int>& positions);

// The selection of occurrence k (1-based) rebuilt from the pieces of the last
// search and the search text as it reads now: the pieces 1..k joined, each
// followed by `searchText`, end exactly where occurrence k ends.
CharRange OccurrenceSelection(const std::vector<std::string>& pieces, std::string_view searchText, int k);

// Occurrence numbers chosen by "下一条" and "上一条". `count` is the number of
// occurrences of the last search; 0 means there is nothing to select.
int NextOccurrenceNumber(int current, int count);
int PreviousOccurrenceNumber(int current, int count);
