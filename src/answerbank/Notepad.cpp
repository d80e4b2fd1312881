#include "answerbank/Notepad.h"

#include <algorithm>
#include <vector>

#include "answerbank/NotepadFile.h"
#include "answerbank/RichEditBox.h"
#include "answerbank/StandardFormatting.h"
#include "platform/Controls.h"
#include "platform/Handles.h"
#include "platform/MessagePump.h"

static_assert(fileerror::kFileNotFound == ERROR_FILE_NOT_FOUND && fileerror::kPathNotFound == ERROR_PATH_NOT_FOUND &&
              fileerror::kAccessDenied == ERROR_ACCESS_DENIED && fileerror::kNotEnoughMemory == ERROR_NOT_ENOUGH_MEMORY &&
              fileerror::kWriteProtect == ERROR_WRITE_PROTECT && fileerror::kWriteFault == ERROR_WRITE_FAULT &&
              fileerror::kSharingViolation == ERROR_SHARING_VIOLATION &&
              fileerror::kLockViolation == ERROR_LOCK_VIOLATION && fileerror::kHandleDiskFull == ERROR_HANDLE_DISK_FULL &&
              fileerror::kDiskFull == ERROR_DISK_FULL && fileerror::kFileTooLarge == ERROR_FILE_TOO_LARGE);

namespace {

NotepadControls notepadControls;

constexpr unsigned kPumpIntervalMs = 30;

// The largest piece one ReadFile or WriteFile moves.
constexpr DWORD kChunkBytes = 1u << 30;

uint32_t LastError() {
  const DWORD error = GetLastError();
  return error != 0 ? error : ERROR_WRITE_FAULT;
}

class DiskFileOps : public SaveFileOps {
 public:
  uint32_t CheckReplaceable(const std::wstring& path) override {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
      const DWORD error = GetLastError();
      return error == ERROR_FILE_NOT_FOUND ? 0 : error;
    }
    if (attributes & FILE_ATTRIBUTE_READONLY) return ERROR_ACCESS_DENIED;
    // Opening it the way the old file would have been written shows whether
    // another program holds it.
    FileHandle probe(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return probe ? 0 : LastError();
  }

  uint32_t WriteNewFile(const std::wstring& path, std::string_view bytes) override {
    FileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return LastError();
    size_t done = 0;
    while (done < bytes.size()) {
      const DWORD piece = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, kChunkBytes));
      DWORD written = 0;
      if (!WriteFile(file.Get(), bytes.data() + done, piece, &written, nullptr)) return LastError();
      if (written == 0) return ERROR_WRITE_FAULT;
      done += written;
    }
    if (!FlushFileBuffers(file.Get())) return LastError();
    if (!CloseHandle(file.Release())) return LastError();
    return 0;
  }

  uint32_t Replace(const std::wstring& from, const std::wstring& to) override {
    if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return 0;
    return LastError();
  }

  void Remove(const std::wstring& path) override { DeleteFileW(path.c_str()); }
};

void ShowStatus(const std::string& text) { SetWindowTextGbk(notepadControls.statusLabel, text); }

}  // namespace

void SetNotepadControls(const NotepadControls& controls) { notepadControls = controls; }

std::wstring NotepadFilePath() {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return NotepadPathBeside(L"");
    if (length < buffer.size()) return NotepadPathBeside(std::wstring_view(buffer.data(), length));
    buffer.resize(buffer.size() * 2);  // a long path was cut off
  }
}

FileBytes ReadWholeFile(const std::wstring& path) {
  FileBytes result;
  FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    result.error = LastError();
    return result;
  }
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.Get(), &size)) {
    result.error = LastError();
    return result;
  }
  if (static_cast<unsigned long long>(size.QuadPart) > 0x7FFFFFFFull) {
    result.error = ERROR_FILE_TOO_LARGE;
    return result;
  }
  std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
  size_t done = 0;
  while (done < bytes.size()) {
    const DWORD piece = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, kChunkBytes));
    DWORD read = 0;
    if (!ReadFile(file.Get(), bytes.data() + done, piece, &read, nullptr)) {
      result.error = LastError();
      return result;
    }
    if (read == 0) break;  // the file became shorter meanwhile
    done += read;
  }
  bytes.resize(done);
  result.bytes = std::move(bytes);
  return result;
}

uint32_t SaveWholeFile(const std::wstring& path, const std::string& bytes) {
  DiskFileOps disk;
  // Distinct for every save of every running copy of the program.
  static unsigned saves = 0;
  const uint32_t unique = (GetCurrentProcessId() << 12) ^ (++saves) ^ GetTickCount();
  return SaveThroughTemporary(disk, path, TemporaryPathFor(path, unique), bytes);
}

void NewNote() {
  RichEditBox(notepadControls.box).SetContent("");
  ShowStatus(kNewNoteDone);
}

void ReadNote() {
  const FileBytes file = ReadWholeFile(NotepadFilePath());
  // A file that cannot be read leaves the user's text alone.
  if (file.error != 0) {
    ShowStatus(ReadFailureText(file.error));
    return;
  }
  ThrottledPump pump(kPumpIntervalMs);
  const HWND box = notepadControls.box;
  if (!RichEditBox(box).SetContentInPieces(TextUpToFirstZero(file.bytes),
                                           [&] { return pump.Tick() && IsWindow(box); })) {
    return;
  }
  ShowStatus(kReadNoteDone);
}

void SaveNote() {
  const std::string bytes = RichEditBox(notepadControls.box).Content();
  const uint32_t error = SaveWholeFile(NotepadFilePath(), bytes);
  ShowStatus(error == 0 ? std::string(kSaveNoteDone) : SaveFailureText(error));
}

void FormatNote() {
  if (!FormatWholeBox(notepadControls.box)) return;
  ShowStatus(kFormatNoteDone);
}
