// What an exam or practice page adds around a question, and the question's
// stem without it. A drag over a page brings the page's number, type label and
// score with the question, its options below, the true/false choices, and on
// a reviewed paper the section heading and the answer and score lines; the
// answer bank has none of these in the same form, so the search matches the
// stem and uses the options only to tell apart passages that match it alike.
#pragma once
#include <string>
#include <string_view>
#include <vector>

struct QuestionStem {
  // The question with the page's furniture left out; the whole question when
  // it has none, or when leaving it out would leave fewer than four characters.
  std::u16string stem;
  bool furniture = false;  // something was left out
  // The lettered options the question carried, folded for the stem search
  // (FoldStem); none for a true/false pair such as 对/错.
  std::vector<std::u32string> options;
};

QuestionStem FindStem(std::u16string_view question);

// ---- How the stem search compares ----

// Whether a folded character marks a blank, which the stem search skips:
// brackets and underscores, since a blank drawn as "（ ）" on one side is
// "____" on the other.
bool IsBlankMark(char32_t folded);

// FoldCharacter (answerbank/search/TextFolding.h), and blank marks skipped too.
char32_t FoldStemCharacter(char32_t c);

// The characters of `text` folded by FoldStemCharacter, skipped ones left out.
std::u32string FoldStem(std::u16string_view text);

// ---- Reading the bank around a passage ----

// A character as the page reader sees it: folded, every line break '\n' and any
// other white space ' '.
char32_t PageCharacter(char32_t c);

// Whether `line` (PageCharacter text from a line's start) opens a question: a
// number such as "12." or "第12题", or a section heading such as "二、判断题".
bool OpensQuestion(std::u32string_view line);

// Whether `text` (PageCharacter text) holds the start of an option list: an
// "A." and a "B." after it, in any of the page's forms.
bool ListsOptions(std::u32string_view text);
