#include "answerbank/DroppedPaths.h"

namespace {

template <typename Text>
Text Join(const std::vector<Text>& paths, const Text& lineBreak) {
  if (paths.size() == 1) return paths.front();
  Text joined;
  for (const Text& path : paths) joined += path + lineBreak;
  return joined;
}

}  // namespace

std::string JoinDroppedPaths(const std::vector<std::string>& paths) { return Join<std::string>(paths, "\r\n"); }

std::wstring JoinDroppedPaths(const std::vector<std::wstring>& paths) { return Join<std::wstring>(paths, L"\r\n"); }
