#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "answerbank/search/QuestionStem.h"
#include "exam_bank.h"

namespace {

using namespace exambank;

// A failing question in UTF-8 (the test's texts hold no surrogates).
std::string Shown(const std::u16string& text) {
  std::string utf8;
  for (char16_t c : text) {
    if (c < 0x80) {
      utf8 += static_cast<char>(c);
    } else if (c < 0x800) {
      utf8 += {static_cast<char>(0xC0 | c >> 6), static_cast<char>(0x80 | (c & 0x3F))};
    } else {
      utf8 += {static_cast<char>(0xE0 | c >> 12), static_cast<char>(0x80 | (c >> 6 & 0x3F)),
               static_cast<char>(0x80 | (c & 0x3F))};
    }
  }
  return utf8;
}

std::vector<std::u32string> Sorted(std::vector<std::u32string> texts) {
  std::sort(texts.begin(), texts.end());
  return texts;
}

// Every kind of page furniture around generated questions of every type: what
// is left is the question as the bank has it, and the options are the
// question's own; the bank's question alone has nothing left out.
TEST(FindStem, TheStemOfALabelledQuestionIsTheQuestion) {
  Random random(12);
  const Capture kinds[] = {Capture::Labelled, Capture::LabelAndScore, Capture::WithOptions,
                           Capture::TrueFalseChoices, Capture::ReviewedPaper};
  for (int round = 0; round < 3000; ++round) {
    const Question q = MakeQuestion(random, static_cast<int>(Pick(random, Courses().size())),
                                    static_cast<QuestionType>(Pick(random, 5)));
    const QuestionStem bare = FindStem(q.stem);
    ASSERT_FALSE(bare.furniture) << Shown(q.stem);
    ASSERT_EQ(bare.stem, q.stem);

    const Capture kind = kinds[round % std::size(kinds)];
    if (!Applies(kind, q)) continue;
    const std::u16string capture = MakeCapture(random, kind, q);
    const QuestionStem found = FindStem(capture);
    ASSERT_TRUE(found.furniture) << Shown(capture);
    ASSERT_EQ(FoldStem(found.stem), FoldStem(q.stem)) << Shown(capture) << "\nstem: " << Shown(found.stem);
    std::vector<std::u32string> options;
    if (kind == Capture::WithOptions || kind == Capture::ReviewedPaper) {
      for (const std::u16string& option : q.options) options.push_back(FoldStem(option));
    }
    ASSERT_EQ(Sorted(found.options), Sorted(options)) << Shown(capture);
  }
}

// What looks like furniture but belongs to the question stays in its stem.
TEST(FindStem, KeepsWhatBelongsToTheQuestion) {
  for (const std::u16string question :
       {u"A.B两地相距120千米，甲车每小时行驶60千米，需要几小时？", u"A. 下列关于进程的说法中，正确的是（ ）",
        u"下列哪一项是本题的正确答案：甲、乙还是丙？", u"3.14是圆周率的近似值。", u"请判断对错：光合作用需要光。",
        u"1,000克等于1千克。", u"判断下列说法是否正确", u"某同学的答案：x=2，是否正确？", u"维生素A.是脂溶性的吗"}) {
    const QuestionStem found = FindStem(question);
    EXPECT_FALSE(found.furniture) << Shown(question) << " -> " << Shown(found.stem);
    EXPECT_EQ(found.stem, question);
  }
  // An answer line inside the question's sentence is not one.
  EXPECT_EQ(FindStem(u"12.【单选题】老师给出的答案：甲，对吗？").stem, u"老师给出的答案：甲，对吗？");
  // Leaving the options out would leave too little: the whole question is matched.
  const QuestionStem tooLittle = FindStem(u"1. 甲乙\r\nA. 对的做法\r\nB. 错的做法");
  EXPECT_FALSE(tooLittle.furniture);
  EXPECT_TRUE(tooLittle.options.empty());
  EXPECT_EQ(FindStem(u"【判断题】对 错").stem, u"【判断题】对 错");
}

TEST(FindStem, ATrueFalsePairIsNoOptionList) {
  const QuestionStem lettered = FindStem(u"光合作用需要光。\r\nA. 正确\r\nB. 错误");
  EXPECT_TRUE(lettered.furniture);
  EXPECT_EQ(FoldStem(lettered.stem), U"光合作用需要光.");
  EXPECT_TRUE(lettered.options.empty());
  EXPECT_EQ(FindStem(u"光合作用需要光。 √ ×").stem, u"光合作用需要光。");
}

// Any mixture of furniture and text: the stem is a piece of the question, the
// whole question when nothing was left out, and never shorter than four
// characters unless the question is.
TEST(FindStem, TheStemIsAlwaysAPieceOfTheQuestion) {
  std::mt19937 random(31);
  const char16_t* atoms[] = {u"A.", u"B、", u"(C)", u"D:", u"12.", u"(3)", u"第5题", u"一、", u"【单选题】", u"判断题",
                             u"：", u"（2分）", u"共30题", u"2.0 分", u"答案：", u"我的答案：", u"得分：", u"对", u"错",
                             u"√", u"×", u"正确", u" ", u"\r\n", u"\u3000", u"下列", u"说法", u"是", u"（ ）", u"____",
                             u"\U0001F600", u"\xD83D", u"a", u"7"};
  for (int round = 0; round < 20000; ++round) {
    std::u16string question;
    for (int i = 0, n = static_cast<int>(random() % 16); i < n; ++i) question += atoms[random() % std::size(atoms)];
    const QuestionStem found = FindStem(question);
    ASSERT_NE(question.find(found.stem), std::u16string::npos) << Shown(question);
    if (!found.furniture) {
      ASSERT_EQ(found.stem, question);
      ASSERT_TRUE(found.options.empty());
    } else {
      ASSERT_GE(FoldStem(found.stem).size(), 4u) << Shown(question);
    }
  }
}

}  // namespace
