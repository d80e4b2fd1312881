// Which controls follow the main window's size, and how.
#pragma once
#include <vector>

struct ResizedControl {
  const char* name;  // GBK control name
  int width;
  int height;
};

// The new sizes, in the order they are applied, for a main window whose outer
// size is now width × height. The tab control comes first; the others follow
// its new size. Nothing else is resized and nothing moves.
std::vector<ResizedControl> ResizeLayout(int windowWidth, int windowHeight);
