// The files of one drop as the import receives them, and the joining of their
// texts into one answer bank.
#pragma once
#include <string>
#include <string_view>
#include <vector>

struct DroppedPaths {
  // In the order the shell lists them, in UTF-16 as the shell gave them: a name
  // with characters GBK lacks still opens.
  std::vector<std::wstring> files;
};

// The last part of a path: the file's name without its folder.
std::wstring FileNameOf(std::wstring_view path);

// Appends the text of the next file of a drop: texts are joined with one
// empty line between them, the line end of the earlier text not counted.
void AppendDocumentText(std::wstring& joined, std::wstring_view next);

// The length `joined` has after AppendDocumentText(joined, next): what a
// drop's limit is checked against before the texts are joined.
size_t JoinedDocumentLength(std::wstring_view joined, std::wstring_view next);
