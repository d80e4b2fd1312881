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

std::vector<std::wstring> SplitDroppedPaths(std::wstring_view joined) {
  std::vector<std::wstring> paths;
  size_t start = 0;
  while (start < joined.size()) {
    size_t end = joined.find_first_of(L"\r\n", start);
    if (end == std::wstring_view::npos) end = joined.size();
    if (end > start) paths.emplace_back(joined.substr(start, end - start));
    start = end + 1;
  }
  return paths;
}

std::wstring FileNameOf(std::wstring_view path) {
  const size_t separator = path.find_last_of(L"\\/");
  return std::wstring(separator == std::wstring_view::npos ? path : path.substr(separator + 1));
}

void AppendDocumentText(std::wstring& joined, std::wstring_view next) {
  if (!joined.empty()) {
    const bool endsWithLine = joined.size() >= 2 && joined.compare(joined.size() - 2, 2, L"\r\n") == 0;
    joined += endsWithLine ? L"\r\n" : L"\r\n\r\n";
  }
  joined += next;
}
