// The main window described as data: its frame, its pages and every control.
#pragma once
#include <string>
#include <vector>

enum class ControlKind {
  Label,
  CheckBox,
  RadioButton,
  Slider,
  LineEdit,
  RichEdit,
  Button,
  BrowserBox,
  ShapeBox,
  Timer,       // no window
  DropTarget,  // no window
};

struct ControlRect {
  int left = 0, top = 0, width = 0, height = 0;
};

struct SliderRange {
  int minimum = 0, maximum = 0, position = 0, lineSize = 0, pageSize = 0;
};

// A label font given by its character height; 0 means the program's usual font.
struct LabelFont {
  int characterHeight = 0;
  int charset = 0;
};

// The pages of the tab control, in their order.
enum PageIndex : int {
  kSettingsPage = 0,     // "介绍＆设置"
  kLocalSearchPage = 1,  // "本地文本搜索"
  kIeBrowserPage = 2,    // "IE内核浏览器"
  kWebKitPage = 3,       // "谷歌内核（点击加载）"
  kNotepadPage = 4,      // "简单记事本"
};

struct ControlDesc {
  int page;              // page of the tab control; -1 for a child of the main window itself
  const char* name;      // the control's name, GBK
  ControlKind kind;
  const char* caption;   // GBK; "" for none
  ControlRect rect;      // relative to the tab control
  int id;                // window control id; 0 for controls without a window
  bool hiddenForGood;    // never shown, whatever the page
  bool checked;          // check boxes and radio buttons
  SliderRange slider;    // sliders
  int intervalMs;        // timers; 0 stopped
  LabelFont font;        // labels
};

struct MainWindowDesc {
  const char* title;
  ControlRect outer;     // screen coordinates
  ControlRect tab;       // client coordinates of the main window
  int tabId;
  const char* tabName;   // the tab control's name, GBK; it has no row of its own
  std::vector<const char*> pageCaptions;
  int startPage;
};

const MainWindowDesc& MainWindowDescription();
const std::vector<ControlDesc>& MainWindowControls();

// Timers and the drag-and-drop object have no window of their own.
bool HasWindow(const ControlDesc& control);

// Looks a control up by name; null when there is none.
const ControlDesc* FindControl(const char* name);

// The text of the welcome label: five paragraphs joined by CR LF, each opened
// by two ideographic spaces.
std::string WelcomeText();

constexpr int kGb2312Charset = 134;
