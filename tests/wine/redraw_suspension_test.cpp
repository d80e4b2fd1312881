// Suspending a control's drawing for a long operation against real controls:
// whatever pages are switched meanwhile, the control ends up shown or hidden
// as the last request said, never as the suspension left it.
#include <windows.h>
#include <richedit.h>

#include <memory>
#include <string>
#include <vector>

#include "check.h"
#include "platform/Controls.h"
#include "test_window.h"

namespace {

bool HasVisibleStyle(HWND window) { return (GetWindowLongPtrW(window, GWL_STYLE) & WS_VISIBLE) != 0; }

// Runs `steps` on `control`: '[' suspends its drawing, ']' ends the innermost
// suspension, 's' and 'h' show and hide it as a page switch does.
void Run(HWND control, const std::string& steps) {
  std::vector<std::unique_ptr<RedrawSuspension>> suspensions;
  for (const char step : steps) {
    if (step == '[') suspensions.push_back(std::make_unique<RedrawSuspension>(control));
    if (step == ']') suspensions.pop_back();
    if (step == 's' || step == 'h') ShowControl(control, step == 's');
  }
}

TEST(DrawingSuspendedAndResumedLeavesAControlAsItWasLastShownOrHidden) {
  static const HMODULE richEdit = LoadLibraryW(L"msftedit.dll");
  (void)richEdit;
  // Shown, so that a child's visibility is the system's own.
  const HWND host = MakeTestWindow(L"RedrawTestHost", 0, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400, 300);
  const struct {
    const wchar_t* cls;
    DWORD style;
  } kinds[] = {{MSFTEDIT_CLASS, ES_MULTILINE}, {L"BUTTON", BS_AUTOCHECKBOX}, {L"STATIC", 0}};
  const struct {
    bool shownFirst;
    const char* steps;
    bool shownAfter;
  } cases[] = {
      {true, "[]", true},       {false, "[]", false},       {true, "[h]", false},     {false, "[s]", true},
      {true, "[hs]", true},     {false, "[sh]", false},     {true, "[[h]]", false},   {true, "[[h]s]", true},
      {false, "[[s]h]", false}, {true, "[h][]", false},     {false, "[s][]", true},   {true, "[s]", true},
      {false, "[h]", false},    {true, "h", false},         {false, "s", true},       {true, "[[]h]", false},
  };
  for (const auto& kind : kinds) {
    for (const auto& c : cases) {
      const HWND control = CreateWindowExW(0, kind.cls, L"选项", WS_CHILD | kind.style | (c.shownFirst ? WS_VISIBLE : 0),
                                           10, 10, 200, 100, host, nullptr, nullptr, nullptr);
      Run(control, c.steps);
      const std::string what = std::string(c.shownFirst ? "shown, " : "hidden, ") + c.steps;
      if (!CHECK_EQ(HasVisibleStyle(control), c.shownAfter) || !CHECK_EQ(IsWindowVisible(control) != FALSE, c.shownAfter))
        std::printf("    after %s\n", what.c_str());
      // One that ends shown is drawn again, with all that changed meanwhile.
      if (c.shownAfter && c.steps[0] == '[' && !CHECK(GetUpdateRect(control, nullptr, FALSE)))
        std::printf("    after %s\n", what.c_str());
      DestroyWindow(control);
    }
  }
  DestroyWindow(host);
}

}  // namespace

CHECK_MAIN()
