// The files of one drop as the import receives them.
#pragma once
#include <string>
#include <vector>

struct DroppedPaths {
  // GBK: one path alone, or every path followed by CR LF when there are several.
  std::string text;
  // The same list in UTF-16, exactly as the shell gave it: a name with
  // characters GBK lacks still opens through this one.
  std::wstring wideText;
};

// One path as it is; several each followed by CR LF, in the order given; none
// gives the empty text.
std::string JoinDroppedPaths(const std::vector<std::string>& paths);
std::wstring JoinDroppedPaths(const std::vector<std::wstring>& paths);
