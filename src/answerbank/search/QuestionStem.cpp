#include "answerbank/search/QuestionStem.h"

#include <optional>
#include <utility>

#include "answerbank/search/TextFolding.h"
#include "platform/Utf16.h"

namespace {

// The page reader works on PageCharacter text: folded, so "１２．", "12." and
// "12、" read "12.", "12." and "12,", and "【单选题】" reads "[单选题]".
using Text = std::u32string_view;
constexpr size_t kNone = Text::npos;

bool IsSpace(char32_t c) { return c == ' ' || c == '\n'; }
bool IsDigit(char32_t c) { return c >= '0' && c <= '9'; }
bool IsAsciiAlnum(char32_t c) { return IsDigit(c) || (c >= 'a' && c <= 'z'); }
bool IsAsciiPunctuation(char32_t c) { return c < 0x80 && !IsAsciiAlnum(c); }
bool IsOpening(char32_t c) { return c == '(' || c == '['; }
bool IsClosing(char32_t c) { return c == ')' || c == ']'; }
bool IsChineseNumeral(char32_t c) { return Text(U"一二三四五六七八九十").find(c) != kNone; }

size_t SkipSpaces(Text t, size_t p) {
  while (p < t.size() && IsSpace(t[p])) ++p;
  return p;
}

// The end of `word` when it stands at p.
size_t Word(Text t, size_t p, Text word) {
  return p <= t.size() && t.substr(p, word.size()) == word ? p + word.size() : kNone;
}

size_t Digits(Text t, size_t p) {
  size_t q = p;
  while (q < t.size() && IsDigit(t[q])) ++q;
  return q > p ? q : kNone;
}

// "2" or "2.0".
size_t Number(Text t, size_t p) {
  size_t q = Digits(t, p);
  if (q != kNone && q + 1 < t.size() && t[q] == '.' && IsDigit(t[q + 1])) q = Digits(t, q + 1);
  return q;
}

// Spaces, and a colon with the spaces after it if there is one.
size_t SkipColon(Text t, size_t p) {
  const size_t q = SkipSpaces(t, p);
  return q < t.size() && t[q] == ':' ? SkipSpaces(t, q + 1) : q;
}

// Longest first, so that 单选题 is not read as 单选 and a 题 left over.
constexpr Text kTypeNames[] = {
    U"不定项选择题", U"单项选择题", U"多项选择题", U"判断改错题", U"案例分析题", U"材料分析题", U"名词解释题",
    U"名词解释", U"完形填空", U"阅读理解", U"选择题", U"单选题", U"多选题", U"判断题", U"填空题", U"简答题",
    U"论述题", U"问答题", U"计算题", U"分析题", U"辨析题", U"改错题", U"综合题", U"单选", U"多选", U"判断",
    U"填空", U"简答", U"论述"};

size_t TypeName(Text t, size_t p) {
  for (Text name : kTypeNames) {
    const size_t q = Word(t, p, name);
    if (q != kNone) return q;
  }
  return kNone;
}

// "2分", "2.0 分", "本题2分", "共 60.0 分", "得分：2", "分值：2".
size_t Score(Text t, size_t p) {
  size_t q = p;
  bool named = false;  // 得分 and 分值 need no 分 after the number
  for (Text prefix : {Text(U"本题"), Text(U"满分"), Text(U"每小题"), Text(U"每题"), Text(U"共"), Text(U"计"),
                      Text(U"分值"), Text(U"得分")}) {
    const size_t r = Word(t, p, prefix);
    if (r == kNone) continue;
    named = prefix == U"分值" || prefix == U"得分";
    q = SkipColon(t, r);
    break;
  }
  q = Number(t, q);
  if (q == kNone) return kNone;
  const size_t unit = Word(t, SkipSpaces(t, q), U"分");
  return unit != kNone ? unit : named ? q : kNone;
}

// "共30题", "共 5 小题", "题数：30".
size_t Count(Text t, size_t p) {
  size_t q = Word(t, p, U"题数");
  if (q != kNone) return Digits(t, SkipColon(t, q));
  q = Word(t, p, U"共");
  if (q == kNone) return kNone;
  q = Digits(t, SkipSpaces(t, q));
  if (q == kNone) return kNone;
  q = SkipSpaces(t, q);
  for (Text unit : {Text(U"小题"), Text(U"道题"), Text(U"题"), Text(U"道")}) {
    const size_t r = Word(t, q, unit);
    if (r != kNone) return r;
  }
  return kNone;
}

// A bracketed group of labels: "(单选题, 2.0 分)", "[多选题]", "(共30题,60.0分)", "(2分)".
size_t Group(Text t, size_t p) {
  if (p >= t.size() || !IsOpening(t[p])) return kNone;
  size_t q = p + 1;
  for (int items = 0;; ++items) {
    while (q < t.size() && (IsSpace(t[q]) || t[q] == ',' || t[q] == ';' || t[q] == ':' || t[q] == '/')) ++q;
    if (q >= t.size()) return kNone;
    if (IsClosing(t[q])) return items > 0 ? q + 1 : kNone;
    size_t r = TypeName(t, q);
    if (r == kNone) r = Count(t, q);
    if (r == kNone) r = Score(t, q);
    if (r == kNone) return kNone;
    q = r;
  }
}

// "12." "12、" "12．" "12)" "(12)" "第12题". `afterLabel`: a type label
// stands before it, so a digit right after it starts the question.
size_t Numbering(Text t, size_t p, bool afterLabel = false) {
  size_t q = Digits(t, p);
  if (q != kNone) {
    if (q - p > 4 || q >= t.size() || (t[q] != '.' && t[q] != ',' && t[q] != ')')) return kNone;
    // Otherwise 3.14 and 1,000 are numbers of the question, not its label.
    return !afterLabel && q + 1 < t.size() && IsDigit(t[q + 1]) ? kNone : q + 1;
  }
  if (p < t.size() && t[p] == '(') {
    q = Digits(t, SkipSpaces(t, p + 1));
    if (q == kNone) return kNone;
    q = SkipSpaces(t, q);
    return q < t.size() && t[q] == ')' ? q + 1 : kNone;
  }
  q = Word(t, p, U"第");
  if (q == kNone) return kNone;
  size_t r = q;
  while (r < t.size() && (IsDigit(t[r]) || IsChineseNumeral(t[r]))) ++r;
  return r > q ? Word(t, SkipSpaces(t, r), U"题") : kNone;
}

// A section heading: "一、单选题（共30题，60.0分）", "二. 判断题".
size_t Heading(Text t, size_t p) {
  size_t q = p;
  while (q < t.size() && IsChineseNumeral(t[q])) ++q;
  if (q == p || q >= t.size() || (t[q] != ',' && t[q] != '.')) return kNone;
  q = TypeName(t, SkipSpaces(t, q + 1));
  if (q == kNone) return kNone;
  const size_t group = Group(t, SkipSpaces(t, q));
  return group != kNone ? group : q;
}

// Where the question starts after the page's heading, number, type label and score.
size_t LabelsEnd(Text t) {
  size_t p = SkipSpaces(t, 0);
  bool numbered = false;
  bool labelled = false;
  for (;;) {
    size_t q = Heading(t, p);
    if (q == kNone && !numbered && (q = Numbering(t, p, labelled)) != kNone) numbered = true;
    if (q == kNone) q = Group(t, p);
    if (q == kNone && (q = TypeName(t, p)) != kNone) {
      // A type name stands alone only before a colon or a group of labels or,
      // after a number or label, before a space: "单选题：", "单选题（2分）",
      // "12. 单选题 下列…".
      if (q < t.size() && t[q] == ':') {
        ++q;
      } else if (Group(t, q) == kNone && (!labelled || q >= t.size() || !IsSpace(t[q]))) {
        q = kNone;
      }
    }
    if (q == kNone && labelled && (q = Score(t, p)) != kNone && q < t.size() && !IsSpace(t[q])) q = kNone;
    if (q == kNone) return p;
    labelled = true;
    p = SkipSpaces(t, q);
  }
}

// "答案：" and the like, or "【答案】"; the end of the marker.
size_t AnswerMarker(Text t, size_t p) {
  constexpr Text kWords[] = {U"我的答案", U"正确答案", U"参考答案", U"标准答案", U"答案解析", U"答案", U"解析", U"得分"};
  const bool bracketed = p < t.size() && t[p] == '[';
  for (Text word : kWords) {
    size_t q = Word(t, bracketed ? p + 1 : p, word);
    if (q == kNone) continue;
    if (bracketed) return q < t.size() && t[q] == ']' ? q + 1 : kNone;
    while (q < t.size() && t[q] == ' ') ++q;
    return q < t.size() && t[q] == ':' ? q + 1 : kNone;
  }
  return kNone;
}

// The first answer or score line after `from`: a marker at a line's start or
// after a space. One inside a sentence ("…的答案：") belongs to the question.
size_t AnswerStart(Text t, size_t from) {
  for (size_t p = from + 1; p < t.size(); ++p) {
    if (IsSpace(t[p - 1]) && AnswerMarker(t, p) != kNone) return p;
  }
  return t.size();
}

struct OptionMark {
  int letter;  // 0 for A
  size_t end;
};

// "A." "A、" "A:" "(A)" "[A]" at p, where a word may start.
std::optional<OptionMark> MarkAt(Text t, size_t p) {
  if (p >= t.size() || (p > 0 && IsAsciiAlnum(t[p - 1]))) return std::nullopt;
  auto isLetter = [](char32_t c) { return c >= 'a' && c <= 'h'; };
  if (IsOpening(t[p]) && p + 2 < t.size() && isLetter(t[p + 1]) && IsClosing(t[p + 2])) {
    return OptionMark{static_cast<int>(t[p + 1] - 'a'), p + 3};
  }
  if (isLetter(t[p]) && p + 1 < t.size() && (t[p + 1] == '.' || t[p + 1] == ',' || t[p + 1] == ':')) {
    return OptionMark{static_cast<int>(t[p] - 'a'), p + 2};
  }
  return std::nullopt;
}

struct OptionList {
  size_t start = 0;
  std::vector<std::pair<size_t, size_t>> texts;  // each option's text, from its mark's end
};

// The last run of marks A, B, C… in order within [from, to): options follow
// the question, and a single "A." is the question's own.
std::optional<OptionList> FindOptions(Text t, size_t from, size_t to) {
  // Every mark once, so that a text of many marks costs no more than one of few.
  std::vector<std::pair<size_t, OptionMark>> marks;
  for (size_t p = from; p < to; ++p) {
    const std::optional<OptionMark> mark = MarkAt(t, p);
    if (mark && mark->end <= to) marks.emplace_back(p, *mark);
  }
  // The run starts at the last A that a B follows.
  size_t lastB = kNone;
  for (size_t i = marks.size(); i-- > 0 && lastB == kNone;) {
    if (marks[i].second.letter == 1) lastB = marks[i].first;
  }
  size_t first = marks.size();
  for (size_t i = 0; i < marks.size(); ++i) {
    if (marks[i].second.letter == 0 && lastB != kNone && marks[i].second.end <= lastB) first = i;
  }
  if (first == marks.size()) return std::nullopt;
  OptionList list;
  list.start = marks[first].first;
  size_t textStart = marks[first].second.end;
  int next = 1;
  for (size_t i = first + 1; i < marks.size(); ++i) {
    if (marks[i].second.letter != next || marks[i].first < textStart) continue;
    list.texts.emplace_back(textStart, marks[i].first);
    textStart = marks[i].second.end;
    ++next;
  }
  list.texts.emplace_back(textStart, to);
  return list;
}

constexpr std::pair<Text, Text> kTrueFalse[] = {{U"对", U"错"}, {U"正确", U"错误"}, {U"√", U"×"}, {U"✓", U"✗"}};

bool IsTrueFalsePair(Text a, Text b) {
  for (const auto& [yes, no] : kTrueFalse) {
    if ((a == yes && b == no) || (a == no && b == yes)) return true;
  }
  return false;
}

// Where the page's true/false choices ("对 错", "正确 错误", "√ ×") start at
// the end of [from, to), or kNone.
size_t TrueFalseTail(Text t, size_t from, size_t to) {
  size_t end = to;
  while (end > from && IsSpace(t[end - 1])) --end;
  for (const auto& pair : kTrueFalse) {
    for (const auto& [first, second] : {pair, std::make_pair(pair.second, pair.first)}) {
      if (end - from < first.size() + second.size()) continue;
      const size_t secondStart = end - second.size();
      if (t.substr(secondStart, second.size()) != second) continue;
      size_t firstEnd = secondStart;
      while (firstEnd > from && IsSpace(t[firstEnd - 1])) --firstEnd;
      // Words need a space between them: "对错" may be the question's own.
      const bool symbols = first.size() == 1 && first[0] < 0x4E00;
      if ((firstEnd == secondStart && !symbols) || firstEnd - from < first.size()) continue;
      const size_t firstStart = firstEnd - first.size();
      if (t.substr(firstStart, first.size()) != first) continue;
      if (firstStart > from && !IsSpace(t[firstStart - 1]) && !IsAsciiPunctuation(t[firstStart - 1])) continue;
      return firstStart;
    }
  }
  return kNone;
}

// [from, end) without the spaces and the score or label groups at its end.
size_t TrimEnd(Text t, size_t from, size_t end) {
  for (;;) {
    while (end > from && IsSpace(t[end - 1])) --end;
    size_t open = end;
    while (open > from && !IsOpening(t[open - 1])) --open;
    if (open == from || Group(t, open - 1) != end) return end;
    end = open - 1;
  }
}

}  // namespace

char32_t PageCharacter(char32_t c) {
  const char32_t folded = FoldCharacter(c);
  if (folded != kSkippedCharacter) return folded;
  const bool lineBreak = c == '\n' || c == '\r' || c == 0x0B || c == 0x0C || c == 0x85 || c == 0x2028 || c == 0x2029;
  return lineBreak ? U'\n' : U' ';
}

bool IsBlankMark(char32_t folded) {
  return folded == '(' || folded == ')' || folded == '[' || folded == ']' || folded == '_';
}

char32_t FoldStemCharacter(char32_t c) {
  const char32_t folded = FoldCharacter(c);
  return IsBlankMark(folded) ? kSkippedCharacter : folded;
}

std::u32string FoldStem(std::u16string_view text) { return FoldText(text, FoldStemCharacter); }

bool OpensQuestion(std::u32string_view line) {
  const size_t p = SkipSpaces(line, 0);
  if (Numbering(line, p) != kNone) return true;
  size_t q = p;
  while (q < line.size() && IsChineseNumeral(line[q])) ++q;
  return q > p && q < line.size() && (line[q] == ',' || line[q] == '.');
}

bool ListsOptions(std::u32string_view text) { return FindOptions(text, 0, text.size()).has_value(); }

QuestionStem FindStem(std::u16string_view question) {
  // The page characters and the UTF-16 unit each starts at.
  std::u32string page;
  std::vector<size_t> units;
  for (size_t i = 0; i < question.size();) {
    units.push_back(i);
    char32_t c = question[i];
    if (IsHighSurrogate(c) && i + 1 < question.size() && IsLowSurrogate(question[i + 1])) {
      c = CombineSurrogates(c, question[i + 1]);
      i += 2;
    } else {
      ++i;
    }
    page += PageCharacter(c);
  }
  units.push_back(question.size());
  const Text t = page;

  const size_t start = LabelsEnd(t);
  const size_t answers = AnswerStart(t, start);
  size_t end = answers;
  std::vector<std::u32string> options;
  if (const std::optional<OptionList> list = FindOptions(t, start, answers)) {
    end = list->start;
    for (const auto& [from, to] : list->texts) {
      const size_t last = TrimEnd(t, from, to);
      std::u32string option = FoldStem(question.substr(units[from], units[last] - units[from]));
      if (!option.empty()) options.push_back(std::move(option));
    }
    if (options.size() == 2 && IsTrueFalsePair(options[0], options[1])) options.clear();
  } else if (const size_t choices = TrueFalseTail(t, start, answers); choices != kNone) {
    end = choices;
  }
  end = TrimEnd(t, start, end);

  QuestionStem result;
  const std::u16string_view stem = question.substr(units[start], units[end] - units[start]);
  // Only white space left out, or too little left: the question as it is.
  if (FoldStem(stem).size() < 4 || FoldText(stem).size() == FoldText(question).size()) {
    result.stem = question;
    return result;
  }
  result.stem = stem;
  result.furniture = true;
  result.options = std::move(options);
  return result;
}
