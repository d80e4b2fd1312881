#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "answerbank/search/HighlightDifference.h"
#include "char_range_print.h"

namespace {

constexpr int kPositions = 60;

std::vector<bool> Covered(const std::vector<CharRange>& ranges) {
  std::vector<bool> covered(kPositions, false);
  for (const CharRange& r : ranges) {
    for (long long p = r.start; p < r.start + r.length; ++p) covered[static_cast<size_t>(p)] = true;
  }
  return covered;
}

// Sorted, disjoint and not touching: each needs a request of its own, and two
// that touch should have been one.
bool Separate(const std::vector<CharRange>& ranges) {
  for (size_t k = 0; k < ranges.size(); ++k) {
    if (ranges[k].length <= 0) return false;
    if (k > 0 && ranges[k].start <= ranges[k - 1].start + ranges[k - 1].length) return false;
  }
  return true;
}

TEST(HighlightDifference, ChangesExactlyThePositionsWhoseColourDiffers) {
  std::mt19937 random(31);
  auto randomRanges = [&] {
    std::vector<CharRange> ranges;
    for (int k = static_cast<int>(random() % 8); k > 0; --k) {
      const long long start = random() % kPositions;
      ranges.push_back({start, static_cast<long long>(random() % (kPositions - start + 1))});
    }
    return ranges;
  };
  for (int round = 0; round < 2000; ++round) {
    const std::vector<CharRange> previous = randomRanges();
    const std::vector<CharRange> next = random() % 4 == 0 ? previous : randomRanges();
    const HighlightChanges changes = HighlightDifference(previous, next);
    ASSERT_TRUE(Separate(changes.toStandard)) << "round " << round;
    ASSERT_TRUE(Separate(changes.toHighlight)) << "round " << round;
    const std::vector<bool> red = Covered(previous), wanted = Covered(next);
    const std::vector<bool> reset = Covered(changes.toStandard), coloured = Covered(changes.toHighlight);
    for (int p = 0; p < kPositions; ++p) {
      ASSERT_EQ(reset[p], red[p] && !wanted[p]) << "round " << round << ", position " << p;
      ASSERT_EQ(coloured[p], wanted[p] && !red[p]) << "round " << round << ", position " << p;
    }
  }
}

}  // namespace
