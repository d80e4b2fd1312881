// The texts of the local search's status line.
#pragma once
#include <string>

extern const char* const kSearchingText;

// The report after a search that found `count` occurrences.
std::string SearchReport(int count);
