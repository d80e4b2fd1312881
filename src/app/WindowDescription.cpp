#include "app/WindowDescription.h"

#include <cstring>

namespace {

using K = ControlKind;

constexpr SliderRange kNoSlider{};
constexpr LabelFont kUsualFont{};

ControlDesc Row(int page, const char* name, K kind, const char* caption, ControlRect rect, int id,
                bool checked = false) {
  return ControlDesc{page, name, kind, caption, rect, id, false, checked, kNoSlider, 0, kUsualFont};
}

std::vector<ControlDesc> BuildControls() {
  std::vector<ControlDesc> rows = {
      // Page 0: introduction and settings.
      Row(0, "标签1", K::Label, "", {10, 35, 575, 208}, 1001),
      Row(0, "选择框1", K::CheckBox, "自动置顶", {23, 254, 89, 25}, 1002, true),
      Row(0, "选择框2", K::CheckBox, "窗口透明", {23, 279, 89, 25}, 1003, true),
      Row(0, "滑块条1", K::Slider, "", {118, 279, 225, 25}, 1004),
      Row(0, "选择框3", K::CheckBox, "划屏取词", {23, 304, 89, 25}, 1005, true),
      Row(0, "单选框1", K::RadioButton, "文本搜", {118, 309, 74, 15}, 1006, true),
      Row(0, "单选框2", K::RadioButton, "IE内核搜", {207, 309, 89, 15}, 1007),
      Row(0, "单选框3", K::RadioButton, "谷歌内核搜（每次搜索后请点击才能加载成功）", {304, 309, 272, 15}, 1008),
      Row(0, "选择框4", K::CheckBox, "百度引擎", {23, 329, 89, 25}, 1009, true),
      Row(0, "选择框5", K::CheckBox, "搜狗引擎", {120, 328, 89, 25}, 1010),
      Row(0, "选择框6", K::CheckBox, "360引擎", {209, 328, 89, 25}, 1011),
      Row(0, "时钟2", K::Timer, "", {}, 0),
      Row(0, "拖放对象1", K::DropTarget, "", {}, 0),
      // Page 1: local search.
      Row(1, "标签2", K::Label, "搜索内容：", {10, 28, 75, 20}, 1012),
      Row(1, "编辑框1", K::LineEdit, "", {70, 26, 350, 25}, 1013),
      Row(1, "按钮1", K::Button, "搜索", {423, 26, 46, 25}, 1014),
      Row(1, "按钮5", K::Button, "下一条", {475, 26, 60, 25}, 1015),
      Row(1, "按钮6", K::Button, "上一条", {541, 26, 55, 25}, 1016),
      Row(1, "标签3", K::Label,
          "自定义考答案内容：（您可以把参考答案文本复制到下面文本框，或者拖放到窗口上，会自动载入！）",
          {10, 53, 590, 20}, 1017),
      Row(1, "编辑框2", K::RichEdit, "", {2, 75, 598, 302}, 1018),
      // Page 2: the IE-engine browser.
      Row(2, "按钮2", K::Button, "<<", {471, 0, 36, 17}, 1019),
      Row(2, "按钮4", K::Button, "◎", {514, 0, 36, 17}, 1020),
      Row(2, "按钮3", K::Button, ">>", {555, 0, 36, 17}, 1021),
      Row(2, "超文本浏览框1", K::BrowserBox, "", {0, 20, 605, 360}, 1022),
      // Page 3: the WebKit view.
      Row(3, "按钮7", K::Button, "<<", {471, 0, 36, 17}, 1023),
      Row(3, "按钮8", K::Button, "◎", {514, 0, 36, 17}, 1024),
      Row(3, "按钮9", K::Button, ">>", {555, 0, 36, 17}, 1025),
      Row(3, "外形框1", K::ShapeBox, "", {1, 19, 600, 360}, 1026),
      // Page 4: the notepad.
      Row(4, "标签4", K::Label, "", {12, 25, 320, 25}, 1027),
      Row(4, "按钮10", K::Button, "新建", {343, 26, 56, 24}, 1028),
      Row(4, "按钮11", K::Button, "读取", {407, 26, 56, 24}, 1029),
      Row(4, "按钮13", K::Button, "保存", {470, 26, 56, 24}, 1030),
      Row(4, "按钮15", K::Button, "格式化", {533, 26, 56, 24}, 1031),
      Row(4, "编辑框3", K::RichEdit, "", {3, 55, 598, 320}, 1032),
      // The main window's own timer.
      Row(-1, "时钟1", K::Timer, "", {}, 0),
  };
  for (ControlDesc& row : rows) {
    if (std::strcmp(row.name, "标签1") == 0) row.font = {19, kGb2312Charset};
    if (std::strcmp(row.name, "单选框3") == 0) row.hiddenForGood = true;
    if (std::strcmp(row.name, "滑块条1") == 0) row.slider = {50, 255, 200, 1, 5};
    if (std::strcmp(row.name, "时钟1") == 0) row.intervalMs = 10;
  }
  return rows;
}

}  // namespace

const MainWindowDesc& MainWindowDescription() {
  static const MainWindowDesc desc{
      "Tavrel V20180330",
      {50, 50, 612, 414},
      {1, 5, 605, 380},
      1000,
      "选择夹1",
      {"介绍＆设置", "本地文本搜索", "IE内核浏览器", "谷歌内核（点击加载）", "简单记事本"},
      0,
  };
  return desc;
}

const std::vector<ControlDesc>& MainWindowControls() {
  static const std::vector<ControlDesc> controls = BuildControls();
  return controls;
}

bool HasWindow(const ControlDesc& control) {
  return control.kind != ControlKind::Timer && control.kind != ControlKind::DropTarget;
}

const ControlDesc* FindControl(const char* name) {
  for (const ControlDesc& control : MainWindowControls()) {
    if (std::strcmp(control.name, name) == 0) return &control;
  }
  return nullptr;
}

std::string WelcomeText() {
  static const char* const paragraphs[] = {
      "欢迎使用Morvane制作的Tavrel，本程序可以帮您快速找到一些练习或者测试的答案，为您的在线学习、答题提供有限的帮助。",
      "【本地文件搜索】模式下，搜索您自行提供的答案库内容，可以复制粘贴或直接拖拽参考答案文件到程序窗口中，即可使用；",
      "【浏览器】模式下，可以百度搜索题目中的关键字，然后根据网页搜索的内容，自行判断。",
      "【划屏取词】功能，只要您开启了，直接用鼠标拖拽涂黑需要搜索的文字，自动帮您进行搜索。",
      "希望我的小程序能帮到您！",
  };
  std::string text;
  for (const char* paragraph : paragraphs) {
    if (!text.empty()) text += "\r\n";
    text += "　　";  // two ideographic spaces
    text += paragraph;
  }
  return text;
}
