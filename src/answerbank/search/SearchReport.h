// The texts of the local search's status line.
#pragma once
#include <string>

extern const char* const kSearchingText;

// The report after a search that found `count` occurrences.
std::string SearchReport(int count);

// The report after the exact search found nothing but the question occurs once
// white space, width, letter case and punctuation are ignored, `count` times.
std::string FoldedSearchReport(int count);

// The report after the question's stem, without the page's number, type label,
// score and options, occurs `count` times.
std::string StemSearchReport(int count);

// The report after only passages close to the question were found: `count` of
// them, each `similarity` percent alike.
std::string ClosestSearchReport(int similarity, int count);
