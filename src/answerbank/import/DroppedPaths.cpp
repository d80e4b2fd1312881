#include "answerbank/import/DroppedPaths.h"

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
