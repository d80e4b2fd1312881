#include "answerbank/import/DroppedPaths.h"

std::wstring FileNameOf(std::wstring_view path) {
  const size_t separator = path.find_last_of(L"\\/");
  return std::wstring(separator == std::wstring_view::npos ? path : path.substr(separator + 1));
}

namespace {

// What goes between the texts joined so far and the next one: nothing before
// the first.
std::wstring_view SeparatorAfter(std::wstring_view joined) {
  if (joined.empty()) return {};
  const bool endsWithLine = joined.size() >= 2 && joined.substr(joined.size() - 2) == L"\r\n";
  return endsWithLine ? L"\r\n" : L"\r\n\r\n";
}

}  // namespace

void AppendDocumentText(std::wstring& joined, std::wstring_view next) {
  joined += SeparatorAfter(joined);
  joined += next;
}

size_t JoinedDocumentLength(std::wstring_view joined, std::wstring_view next) {
  return joined.size() + SeparatorAfter(joined).size() + next.size();
}
