// The names of the main window's controls that the program's code uses outside
// the window table, each spelled once: code reaches a control through these,
// never through a name of its own spelling. The native tests check that every
// name in kAll is in the table, so a typo fails them instead of finding no
// window. No Windows header.
#pragma once
#include <array>

namespace ctl {

inline constexpr char kTabs[] = "选择夹1";
inline constexpr char kHoverTimer[] = "时钟1";
inline constexpr char kDropTarget[] = "拖放对象1";

// The introduction and settings page.
inline constexpr char kWelcomeLabel[] = "标签1";
inline constexpr char kAutoRaiseBox[] = "选择框1";
inline constexpr char kTranslucentBox[] = "选择框2";
inline constexpr char kAlphaSlider[] = "滑块条1";
inline constexpr char kCaptureBox[] = "选择框3";
// Where a captured text is searched: the answer bank, the IE page, the WebKit page.
inline constexpr char kCaptureToLocalRadio[] = "单选框1";
inline constexpr char kCaptureToIeRadio[] = "单选框2";
inline constexpr char kCaptureToWebKitRadio[] = "单选框3";
// The web-search engines' check boxes, in the order of SearchEngines().
inline constexpr std::array<const char*, 3> kEngineBoxes = {"选择框4", "选择框5", "选择框6"};
inline constexpr char kPasteTimer[] = "时钟2";

// The local search page.
inline constexpr char kSearchBox[] = "编辑框1";
inline constexpr char kSearchButton[] = "按钮1";
inline constexpr char kNextButton[] = "按钮5";
inline constexpr char kPreviousButton[] = "按钮6";
inline constexpr char kSearchStatus[] = "标签3";
inline constexpr char kAnswerBank[] = "编辑框2";

// The IE browser page.
inline constexpr char kIeBackButton[] = "按钮2";
inline constexpr char kIeRefreshButton[] = "按钮4";
inline constexpr char kIeForwardButton[] = "按钮3";
inline constexpr char kIeBrowser[] = "超文本浏览框1";

// The WebKit page.
inline constexpr char kWebKitBackButton[] = "按钮7";
inline constexpr char kWebKitReloadButton[] = "按钮8";
inline constexpr char kWebKitForwardButton[] = "按钮9";
inline constexpr char kWebKitBox[] = "外形框1";

// The notepad page.
inline constexpr char kNotepadStatus[] = "标签4";
inline constexpr char kNewNoteButton[] = "按钮10";
inline constexpr char kReadNoteButton[] = "按钮11";
inline constexpr char kSaveNoteButton[] = "按钮13";
inline constexpr char kFormatNoteButton[] = "按钮15";
inline constexpr char kNotepadBox[] = "编辑框3";

// Every name above; a name added above belongs here too.
inline constexpr std::array kAll = {
    kTabs, kHoverTimer, kDropTarget,
    kWelcomeLabel, kAutoRaiseBox, kTranslucentBox, kAlphaSlider, kCaptureBox,
    kCaptureToLocalRadio, kCaptureToIeRadio, kCaptureToWebKitRadio,
    kEngineBoxes[0], kEngineBoxes[1], kEngineBoxes[2], kPasteTimer,
    kSearchBox, kSearchButton, kNextButton, kPreviousButton, kSearchStatus, kAnswerBank,
    kIeBackButton, kIeRefreshButton, kIeForwardButton, kIeBrowser,
    kWebKitBackButton, kWebKitReloadButton, kWebKitForwardButton, kWebKitBox,
    kNotepadStatus, kNewNoteButton, kReadNoteButton, kSaveNoteButton, kFormatNoteButton, kNotepadBox,
};

}  // namespace ctl
