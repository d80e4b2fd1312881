// The files of one drop as the import receives them, and the joining of their
// texts into one answer bank.
#pragma once
#include <string>
#include <string_view>
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

// The paths of a joined list again, in their order (no file name holds a line break).
std::vector<std::wstring> SplitDroppedPaths(std::wstring_view joined);

// The last part of a path: the file's name without its folder.
std::wstring FileNameOf(std::wstring_view path);

// Appends the text of the next file of a drop: texts are joined with one
// empty line between them, the line end of the earlier text not counted.
void AppendDocumentText(std::wstring& joined, std::wstring_view next);
