#include "app/ResizeLayout.h"

std::vector<ResizedControl> ResizeLayout(int windowWidth, int windowHeight) {
  const int tabWidth = windowWidth - 18;
  const int tabHeight = windowHeight - 45;
  return {
      {"选择夹1", tabWidth, tabHeight},
      {"超文本浏览框1", tabWidth - 3, tabHeight - 22},
      {"外形框1", tabWidth - 3, tabHeight - 22},
      {"编辑框2", tabWidth - 3, tabHeight - 78},
      {"编辑框3", tabWidth - 3, tabHeight - 58},
  };
}
