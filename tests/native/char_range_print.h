// Shows a character range as [start+length] in failure messages.
#pragma once
#include <ostream>

#include "answerbank/search/Occurrences.h"

inline void PrintTo(const CharRange& range, std::ostream* out) { *out << '[' << range.start << '+' << range.length << ']'; }
