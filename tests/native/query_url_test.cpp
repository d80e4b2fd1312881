#include <gtest/gtest.h>

#include "websearch/QueryUrl.h"

namespace {

// 答案 a+b in GBK.
const std::string kAnswerAPlusB = "\xB4\xF0\xB0\xB8 a+b";

TEST(PercentEncode, KeepsOnlyAsciiLettersAndDigits) {
  EXPECT_EQ(PercentEncode(kAnswerAPlusB), "%B4%F0%B0%B8%20a%2Bb");
  EXPECT_EQ(PercentEncode("AZaz09"), "AZaz09");
  EXPECT_EQ(PercentEncode("-._~ "), "%2D%2E%5F%7E%20");
  EXPECT_EQ(PercentEncode(std::string("\x00\xFF", 2)), "%00%FF");
  EXPECT_EQ(PercentEncode(""), "");
}

TEST(QueryUrl, EachEngineWithItsHostAndKey) {
  const auto& engines = SearchEngines();
  EXPECT_EQ(QueryUrl(engines[0], "abc"), "https://www.baidu.com/s?wd=abc");
  EXPECT_EQ(QueryUrl(engines[1], "abc"), "https://www.sogou.com/web?query=abc");
  EXPECT_EQ(QueryUrl(engines[2], "abc"), "https://www.so.com/s?q=abc");
  EXPECT_EQ(QueryUrl(engines[2], kAnswerAPlusB), "https://www.so.com/s?q=%B4%F0%B0%B8%20a%2Bb");
}

TEST(QueryUrl, FirstTwoEnginesTakeTheTextByteForByteButForUrlDelimiters) {
  const auto& engines = SearchEngines();
  // Chinese, spaces and other punctuation pass unchanged; the browser puts them on the wire.
  EXPECT_EQ(QueryUrl(engines[0], "\xB4\xF0 a?b=c/d"), "https://www.baidu.com/s?wd=\xB4\xF0 a?b=c/d");
  // "&" would end the value, "#" start a fragment, "+" read as a space, "%" start an escape.
  EXPECT_EQ(QueryUrl(engines[0], "C# & C++"), "https://www.baidu.com/s?wd=C%23 %26 C%2B%2B");
  EXPECT_EQ(QueryUrl(engines[1], "100%"), "https://www.sogou.com/web?query=100%25");
  EXPECT_EQ(QueryUrl(engines[1], kAnswerAPlusB), "https://www.sogou.com/web?query=\xB4\xF0\xB0\xB8 a%2Bb");
}

TEST(QueryUrl, EmptySearchTextGivesTheBareQuery) {
  for (const SearchEngine& engine : SearchEngines()) {
    const std::string url = QueryUrl(engine, "");
    EXPECT_EQ(url, std::string("https://") + engine.host + engine.queryPrefix);
  }
}

TEST(EngineChoice, NoneCheckedFallsBackToTheFirst) {
  EXPECT_EQ(NormalizeEngineChoice({false, false, false}), (EngineChoice{true, false, false}));
  EXPECT_EQ(NormalizeEngineChoice({false, false, true}), (EngineChoice{false, false, true}));
  // Several checked are left as they are: each is loaded in turn.
  EXPECT_EQ(NormalizeEngineChoice({false, true, true}), (EngineChoice{false, true, true}));
}

TEST(EngineChoice, CheckingOneClearsTheOthersUncheckingClearsNothing) {
  EXPECT_EQ(AfterEngineToggled({true, true, false}, 1), (EngineChoice{false, true, false}));
  EXPECT_EQ(AfterEngineToggled({true, false, true}, 2), (EngineChoice{false, false, true}));
  EXPECT_EQ(AfterEngineToggled({false, false, false}, 0), (EngineChoice{false, false, false}));
  EXPECT_EQ(AfterEngineToggled({false, true, false}, 0), (EngineChoice{false, true, false}));
  EXPECT_EQ(AfterEngineToggled({true, false, false}, 7), (EngineChoice{true, false, false}));
  // The first engine checked beside others, and the boxes at both ends of the table.
  EXPECT_EQ(AfterEngineToggled({true, true, false}, 0), (EngineChoice{true, false, false}));
  EXPECT_EQ(AfterEngineToggled({true, true, true}, 0), (EngineChoice{true, false, false}));
  EXPECT_EQ(AfterEngineToggled({true, true, true}, 2), (EngineChoice{false, false, true}));
  // No box at the first index past the end, nor before the first.
  EXPECT_EQ(AfterEngineToggled({true, true, true}, kEngineCount), (EngineChoice{true, true, true}));
  EXPECT_EQ(AfterEngineToggled({true, true, true}, -1), (EngineChoice{true, true, true}));
}

}  // namespace
