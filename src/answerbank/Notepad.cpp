#include "answerbank/Notepad.h"

#include <algorithm>
#include <vector>

#include "answerbank/NotepadEncoding.h"
#include "answerbank/NotepadFile.h"
#include "answerbank/RichEditBox.h"
#include "answerbank/StandardFormatting.h"
#include "platform/Controls.h"
#include "platform/Handles.h"
#include "platform/MessagePump.h"
#include "platform/Text.h"

static_assert(fileerror::kFileNotFound == ERROR_FILE_NOT_FOUND && fileerror::kPathNotFound == ERROR_PATH_NOT_FOUND &&
              fileerror::kAccessDenied == ERROR_ACCESS_DENIED && fileerror::kNotEnoughMemory == ERROR_NOT_ENOUGH_MEMORY &&
              fileerror::kWriteProtect == ERROR_WRITE_PROTECT && fileerror::kWriteFault == ERROR_WRITE_FAULT &&
              fileerror::kSharingViolation == ERROR_SHARING_VIOLATION &&
              fileerror::kLockViolation == ERROR_LOCK_VIOLATION && fileerror::kHandleDiskFull == ERROR_HANDLE_DISK_FULL &&
              fileerror::kDiskFull == ERROR_DISK_FULL && fileerror::kFileTooLarge == ERROR_FILE_TOO_LARGE);

namespace {

NotepadControls notepadControls;

// How "保存" writes the file: as the last read found it or the last save left
// it; GBK before either.
NoteFileFormat fileFormat;

// "读取" and "格式化" process messages as they go, so another click can run in
// their middle. Each begins a new turn, and one still running stops as soon as
// a newer one has begun: a second read replaces the first instead of mixing
// its pieces in.
unsigned turn = 0;
// While a read fills the box, the box holds only part of the file.
bool filling = false;
// "格式化" clicked while a read filled the box: formats once the box is full.
bool formatWhenFilled = false;

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

GbkCodec SystemGbk() {
  GbkCodec codec;
  codec.decode = [](std::string_view gbk) { return AsUtf16(GbkToWide(gbk)); };
  codec.encode = [](std::u16string_view text, size_t& missing) { return WideToGbkCounting(AsWide(text), missing); };
  return codec;
}

std::u16string BoxText() { return AsUtf16(RichEditBox(notepadControls.box).WideContent()); }

}  // namespace

void SetNotepadControls(const NotepadControls& controls) {
  notepadControls = controls;
  fileFormat = NoteFileFormat();
  ++turn;
  filling = false;
  formatWhenFilled = false;
}

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
  ++turn;
  filling = false;
  formatWhenFilled = false;
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
  const GbkCodec gbk = SystemGbk();
  const NoteReading reading = ReadNoteBytes(file.bytes, gbk);
  const unsigned mine = ++turn;
  filling = true;
  ThrottledPump pump(kPumpIntervalMs);
  const HWND box = notepadControls.box;
  const bool filled = RichEditBox(box).SetContentInPieces(
      AsWide(reading.text),
      [&] { return pump.Tick() && IsWindow(box) && turn == mine; });
  // A newer operation has the box now, and the status line is its own.
  if (turn != mine) return;
  filling = false;
  if (!filled) return;
  fileFormat = reading.format;
  // What the box holds, not only what the file said: the status is a success
  // only when saving it would give back the same bytes.
  ShowStatus(ReadNoteStatus(file.bytes, reading, BoxText(), gbk));
  if (formatWhenFilled) {
    formatWhenFilled = false;
    FormatNote();
  }
}

void SaveNote() {
  // Saving part of the file would cut the rest of it off.
  if (filling) {
    ShowStatus(kSaveWhileReading);
    return;
  }
  const NoteSaving saving = SaveNoteBytes(BoxText(), fileFormat, SystemGbk());
  const uint32_t error = SaveWholeFile(NotepadFilePath(), saving.bytes);
  if (error != 0) {
    ShowStatus(SaveFailureText(error));
    return;
  }
  fileFormat = saving.format;
  ShowStatus(SaveNoteStatus(saving));
}

void FormatNote() {
  if (filling) {
    formatWhenFilled = true;
    return;
  }
  const unsigned mine = ++turn;
  if (!FormatWholeBox(notepadControls.box, [mine] { return turn == mine; })) return;
  ShowStatus(kFormatNoteDone);
}
