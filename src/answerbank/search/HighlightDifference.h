// What a search must change in the box when the previous search's highlights
// are still there: only the positions whose colour differs between the old
// and the new highlights, so a repeated search changes nothing.
#pragma once
#include <vector>

#include "answerbank/search/Occurrences.h"

struct HighlightChanges {
  std::vector<CharRange> toStandard;   // red now, not highlighted by the new search
  std::vector<CharRange> toHighlight;  // highlighted by the new search, not red yet
};

// `previous` and `next`: box ranges in any order, overlapping or touching
// allowed. The results are sorted, disjoint and not touching one another.
HighlightChanges HighlightDifference(const std::vector<CharRange>& previous, const std::vector<CharRange>& next);
