#include "answerbank/notepad/NotepadFile.h"

const char* const kNewNoteDone = "新建成功";
const char* const kReadNoteDone = "读取成功";
const char* const kSaveNoteDone = "保存成功";
const char* const kFormatNoteDone = "文字格式化成功";
const char* const kNoteTooLarge = "读取失败：文件太大，记事本最多显示 100 万字";

bool NoteTextFits(size_t units) { return units <= kMaxNoteTextUnits; }

std::string ReadFailureText(uint32_t error) { return "读取失败：" + FailureReason(error); }

std::string SaveFailureText(uint32_t error) { return "保存失败：" + FailureReason(error); }

std::string TextUpToFirstZero(std::string_view bytes) {
  return std::string(bytes.substr(0, bytes.find('\0')));
}

std::wstring NotepadPathBeside(std::wstring_view modulePath) {
  const size_t separator = modulePath.find_last_of(L"\\/");
  const std::wstring_view folder = separator == std::wstring_view::npos ? std::wstring_view() : modulePath.substr(0, separator);
  return std::wstring(folder) + L"\\我的文件.txt";
}

std::wstring TemporaryPathFor(std::wstring_view path, uint32_t unique) {
  static const wchar_t kDigits[] = L"0123456789abcdef";
  std::wstring hex;
  for (int shift = 28; shift >= 0; shift -= 4) hex += kDigits[(unique >> shift) & 0xF];
  return std::wstring(path) + L"." + hex + L".tmp";
}

uint32_t SaveThroughTemporary(SaveFileOps& ops, const std::wstring& path, const std::wstring& temporaryPath,
                              std::string_view bytes) {
  // Asked first, so a locked or read-only file costs no temporary file at all.
  if (const uint32_t error = ops.CheckReplaceable(path)) return error;
  if (const uint32_t error = ops.WriteNewFile(temporaryPath, bytes)) {
    ops.Remove(temporaryPath);
    return error;
  }
  if (const uint32_t error = ops.Replace(temporaryPath, path)) {
    ops.Remove(temporaryPath);
    return error;
  }
  return 0;
}
