#include <gtest/gtest.h>

#include <set>
#include <string>

#include "app/ControlNames.h"
#include "app/ResizeLayout.h"
#include "app/WindowDescription.h"
#include "websearch/QueryUrl.h"

namespace {

TEST(WindowDescription, ControlIdsAreUniqueAndFollowTheTable) {
  int expected = 1001;
  std::set<std::string> names;
  for (const ControlDesc& c : MainWindowControls()) {
    EXPECT_TRUE(names.insert(c.name).second) << "duplicate name";
    if (!HasWindow(c)) {
      EXPECT_EQ(c.id, 0);
      continue;
    }
    EXPECT_EQ(c.id, expected++);
    EXPECT_NE(c.id, MainWindowDescription().tabId);
  }
  EXPECT_EQ(expected, 1033);
}

TEST(WindowDescription, EveryPageControlFitsInsideTheTabControl) {
  const ControlRect tab = MainWindowDescription().tab;
  for (const ControlDesc& c : MainWindowControls()) {
    if (!HasWindow(c)) continue;
    EXPECT_GE(c.page, 0);
    EXPECT_LE(c.page, 4);
    EXPECT_LE(c.rect.left + c.rect.width, tab.width) << c.rect.left;
    EXPECT_LE(c.rect.top + c.rect.height, tab.height) << c.rect.top;
  }
}

TEST(WindowDescription, OneRadioSelectedAndOnlyTheWebKitModeHidden) {
  int selected = 0, hidden = 0;
  for (const ControlDesc& c : MainWindowControls()) {
    if (c.kind == ControlKind::RadioButton && c.checked) ++selected;
    if (c.hiddenForGood) {
      ++hidden;
      EXPECT_EQ(std::string(c.name), "单选框3");
    }
  }
  EXPECT_EQ(selected, 1);
  EXPECT_EQ(hidden, 1);
  EXPECT_TRUE(FindControl("单选框1")->checked);
}

TEST(WindowDescription, SliderAndTimersStartAsDescribed) {
  const SliderRange s = FindControl("滑块条1")->slider;
  EXPECT_EQ(s.minimum, 50);
  EXPECT_EQ(s.maximum, 255);
  EXPECT_EQ(s.position, 200);
  EXPECT_EQ(FindControl("时钟1")->intervalMs, 10);
  EXPECT_EQ(FindControl("时钟1")->page, -1);
  EXPECT_EQ(FindControl("时钟2")->intervalMs, 0);
  EXPECT_EQ(FindControl("标签1")->font.characterHeight, 19);
  EXPECT_EQ(FindControl("标签1")->font.charset, kGb2312Charset);
  EXPECT_EQ(FindControl("no such control"), nullptr);
}

// The names the code looks controls up by, events bound to included: a typo
// would otherwise find no window, or bind a handler to nothing.
TEST(ControlNames, EveryNameTheCodeUsesIsInTheWindowTable) {
  const std::string tab = MainWindowDescription().tabName;
  EXPECT_EQ(std::string(ctl::kTabs), tab);
  std::set<std::string> seen;
  for (const char* name : ctl::kAll) {
    EXPECT_TRUE(FindControl(name) != nullptr || name == tab) << "no control named " << name;
    EXPECT_TRUE(seen.insert(name).second) << "named twice: " << name;
  }
  for (const ResizedControl& c : ResizeLayout(800, 600)) EXPECT_TRUE(seen.count(c.name)) << c.name;
  // Box i is engine i's: its caption names the engine whose host it opens.
  static_assert(ctl::kEngineBoxes.size() == kEngineCount);
  const char* const names[kEngineCount][2] = {{"百度", "baidu"}, {"搜狗", "sogou"}, {"360", "www.so.com"}};
  for (int i = 0; i < kEngineCount; ++i) {
    const ControlDesc* box = FindControl(ctl::kEngineBoxes[i]);
    ASSERT_NE(box, nullptr) << ctl::kEngineBoxes[i];
    EXPECT_EQ(box->kind, ControlKind::CheckBox);
    EXPECT_EQ(std::string(box->caption).find(names[i][0]), 0u) << box->caption;
    EXPECT_NE(std::string(SearchEngines()[i].host).find(names[i][1]), std::string::npos) << SearchEngines()[i].host;
  }
}

TEST(WelcomeText, FiveParagraphsEachOpenedByTwoIdeographicSpaces) {
  const std::string text = WelcomeText();
  std::vector<std::string> paragraphs;
  size_t from = 0;
  for (size_t at; (at = text.find("\r\n", from)) != std::string::npos; from = at + 2)
    paragraphs.push_back(text.substr(from, at - from));
  paragraphs.push_back(text.substr(from));
  ASSERT_EQ(paragraphs.size(), 5u);
  for (const std::string& p : paragraphs) EXPECT_EQ(p.substr(0, 4), "\xA1\xA1\xA1\xA1");
  EXPECT_EQ(paragraphs[4], "　　希望我的小程序能帮到您！");
}

TEST(ResizeLayout, FollowsTheWindowSize) {
  const auto sizes = ResizeLayout(800, 600);
  ASSERT_EQ(sizes.size(), 5u);
  EXPECT_EQ(std::string(sizes[0].name), "选择夹1");
  EXPECT_EQ(sizes[0].width, 782);
  EXPECT_EQ(sizes[0].height, 555);
  for (int i = 1; i <= 2; ++i) {
    EXPECT_EQ(sizes[i].width, 779);
    EXPECT_EQ(sizes[i].height, 533);
  }
  EXPECT_EQ(std::string(sizes[3].name), "编辑框2");
  EXPECT_EQ(sizes[3].height, 477);
  EXPECT_EQ(std::string(sizes[4].name), "编辑框3");
  EXPECT_EQ(sizes[4].height, 497);
}

}  // namespace
