#include "answerbank/search/Occurrences.h"

#include "answerbank/RichCharCount.h"
#include "answerbank/search/GbkFind.h"

std::vector<int> FindOccurrences(std::string_view text, std::string_view pattern) {
  std::vector<int> positions;
  int from = 0;
  for (;;) {
    const int p = gbk::Find(text, pattern, from);
    if (p < 0) break;
    positions.push_back(p);
    from = p + static_cast<int>(pattern.size());
  }
  return positions;
}

std::vector<std::string> CutAtOccurrences(std::string_view text, std::string_view pattern) {
  std::vector<std::string> pieces;
  size_t pieceStart = 0;
  for (int p : FindOccurrences(text, pattern)) {
    const size_t at = static_cast<size_t>(p) - 1;
    pieces.emplace_back(text.substr(pieceStart, at - pieceStart));
    pieceStart = at + pattern.size();
  }
  pieces.emplace_back(text.substr(pieceStart));
  return pieces;
}

std::vector<CharRange> OccurrenceRanges(std::string_view text, std::string_view pattern,
                                        const std::vector<int>& positions) {
  std::vector<CharRange> ranges;
  ranges.reserve(positions.size());
  const long long length = RichCharCount(pattern);
  RichCharWalker walker(text);
  for (int p : positions) ranges.push_back({walker.CountPrefix(static_cast<size_t>(p) - 1), length});
  return ranges;
}

CharRange OccurrenceSelection(const std::vector<std::string>& pieces, std::string_view searchText, int k) {
  std::string joined;
  for (int j = 0; j < k && j < static_cast<int>(pieces.size()); ++j) {
    joined += pieces[static_cast<size_t>(j)];
    joined += searchText;
  }
  const long long length = RichCharCount(searchText);
  return {RichCharCount(joined) - length, length};
}

int NextOccurrenceNumber(int current, int count) {
  if (count <= 0) return 0;
  return current + 1 > count ? count : current + 1;
}

int PreviousOccurrenceNumber(int current, int count) {
  if (count <= 0) return 0;
  return current < 2 ? 1 : current - 1;
}
