#include "app/ResizeLayout.h"

#include "app/ControlNames.h"

std::vector<ResizedControl> ResizeLayout(int windowWidth, int windowHeight) {
  const int tabWidth = windowWidth - 18;
  const int tabHeight = windowHeight - 45;
  return {
      {ctl::kTabs, tabWidth, tabHeight},
      {ctl::kIeBrowser, tabWidth - 3, tabHeight - 22},
      {ctl::kWebKitBox, tabWidth - 3, tabHeight - 22},
      {ctl::kAnswerBank, tabWidth - 3, tabHeight - 78},
      {ctl::kNotepadBox, tabWidth - 3, tabHeight - 58},
  };
}
