// The notepad's file, apart from the system calls: its place beside the
// program, the bytes that become the box's text, the texts of the status line,
// and a save that never leaves a half-written file behind.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/FileErrors.h"

extern const char* const kNewNoteDone;
extern const char* const kReadNoteDone;
extern const char* const kSaveNoteDone;
extern const char* const kFormatNoteDone;

// The longest text "读取" puts into the box, in UTF-16 units: what the rich
// edit box takes in reasonable time where it is slowest (Wine's), the answer
// bank's limit for a dropped document too; a 1 MB GBK note (about 730,000
// characters) fits. A longer one would also take memory many times its size
// in the 32-bit program (the file, its text, the box's copy, the check).
constexpr size_t kMaxNoteTextUnits = 1000000;
// A file beyond this holds more text than that in any encoding (UTF-8 takes
// at most three bytes a unit): it is not read at all.
constexpr uint64_t kMaxNoteFileBytes = 3 * uint64_t{kMaxNoteTextUnits} + 3;
// Whether a text read from the file may go into the box.
bool NoteTextFits(size_t units);
// "读取" of a file beyond either limit; the box keeps its text.
extern const char* const kNoteTooLarge;

// "读取失败：" or "保存失败：" and the reason, in words where there are some.
std::string ReadFailureText(uint32_t error);
std::string SaveFailureText(uint32_t error);

// The file's bytes as the box's text: everything before the first zero byte.
std::string TextUpToFirstZero(std::string_view bytes);

// The notepad file beside the program: the folder of `modulePath` (without
// its trailing separator) followed by "\我的文件.txt".
std::wstring NotepadPathBeside(std::wstring_view modulePath);

// A name for the new bytes in the same folder as `path`, so that putting them
// in place is a rename within one volume.
std::wstring TemporaryPathFor(std::wstring_view path, uint32_t unique);

// The file operations a save needs; each returns 0 or a system error number.
class SaveFileOps {
 public:
  virtual ~SaveFileOps() = default;
  // Whether an existing file at `path` may be replaced (it is not read-only
  // and no other program holds it); 0 when there is no file yet.
  virtual uint32_t CheckReplaceable(const std::wstring& path) = 0;
  // Creates `path` anew, writes all of `bytes`, and flushes and closes it.
  virtual uint32_t WriteNewFile(const std::wstring& path, std::string_view bytes) = 0;
  // Puts `from` in the place of `to`, in one step.
  virtual uint32_t Replace(const std::wstring& from, const std::wstring& to) = 0;
  virtual void Remove(const std::wstring& path) = 0;
};

// Saves `bytes` as `path` through the temporary file `temporaryPath`: the old
// file is replaced only once the new bytes are complete, and on any failure it
// stays as it was and the temporary file is gone. Returns 0 or the error.
uint32_t SaveThroughTemporary(SaveFileOps& ops, const std::wstring& path, const std::wstring& temporaryPath,
                              std::string_view bytes);
