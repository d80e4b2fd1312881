#include "answerbank/notepad/Notepad.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "answerbank/RichEditBox.h"
#include "answerbank/StandardFormatting.h"
#include "answerbank/notepad/NotepadEncoding.h"
#include "answerbank/notepad/NotepadFile.h"
#include "platform/Controls.h"
#include "platform/Handles.h"
#include "platform/MessagePump.h"
#include "platform/NewestRequest.h"
#include "platform/NoMemory.h"
#include "platform/Text.h"
#include "platform/WholeFile.h"

namespace {

NotepadControls notepadControls;

// How "保存" writes the file: as the last read found it or the last save left
// it; GBK before either.
NoteFileFormat fileFormat;

// "读取" and "格式化" process messages as they go, so another click can run in
// their middle: a second read replaces the first instead of mixing its pieces in.
NewestRequest turns;
// While a read turns the box, the box holds only part of the file.
bool filling = false;
// "格式化" clicked while a read filled the box: formats once the box is full.
bool formatWhenFilled = false;

// Set while the box holds a read that did not show its file as it is: "保存"
// would write the box's text over the whole file, so it asks first. A read
// that shows the file whole, a save and "新建" clear it.
std::optional<NoteReadCheck> partialRead;
// Counts the reads and "新建"s that began: the answer to "保存"'s question is
// about the box as it was when asked.
unsigned boxChanges = 0;

// The largest piece one WriteFile moves.
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

// For the status after memory ran out: a literal, set as it is.
void ShowStatusAsIs(const wchar_t* text) { SetWindowTextW(notepadControls.statusLabel, text); }

GbkCodec SystemGbk() {
  GbkCodec codec;
  codec.decode = [](std::string_view gbk) { return AsUtf16(GbkToWide(gbk)); };
  codec.encode = [](std::u16string_view text, size_t& missing) { return WideToGbkCounting(AsWide(text), missing); };
  return codec;
}

std::u16string BoxText() { return AsUtf16(RichEditBox(notepadControls.box).WideContent()); }

// The bodies of the handlers; each handler below ends them where memory runs out.

void EmptyBox() {
  turns.StopAll();
  filling = false;
  formatWhenFilled = false;
  ++boxChanges;
  RichEditBox(notepadControls.box).SetContent("");
  partialRead.reset();
  ShowStatus(kNewNoteDone);
}

// `mine` is set once the read has the box; `fileBytes` once the file is read.
void FillBoxFromFile(std::optional<NewestRequest::Ticket>& mine, size_t& fileBytes) {
  const FileBytes file = ReadWholeFile(NotepadFilePath(), FileSharing::kDenyWriters, kMaxNoteFileBytes);
  // A file that cannot be read leaves the user's text alone.
  if (file.error != 0) {
    ShowStatus(file.error == ERROR_FILE_TOO_LARGE ? std::string(kNoteTooLarge) : ReadFailureText(file.error));
    return;
  }
  fileBytes = file.bytes.size();
  const GbkCodec gbk = SystemGbk();
  const NoteReading reading = ReadNoteBytes(file.bytes, gbk);
  if (!NoteTextFits(reading.text.size())) {
    ShowStatus(kNoteTooLarge);
    return;
  }
  mine = turns.Begin();
  ++boxChanges;
  filling = true;
  ThrottledPump pump;
  const HWND box = notepadControls.box;
  const NewestRequest::Ticket ticket = *mine;
  const bool filled = RichEditBox(box).SetContentInPieces(
      AsWide(reading.text), [&] { return pump.Tick() && IsWindow(box) && turns.IsNewest(ticket); });
  // A newer operation has the box now, and the status line is its own.
  if (!turns.IsNewest(ticket)) return;
  filling = false;
  if (!filled) return;
  fileFormat = reading.format;
  // What the box holds, not only what the file said: the status is a success
  // only when saving it would give back the same bytes.
  const NoteReadCheck check = CheckNoteRead(file.bytes, reading, BoxText(), gbk);
  partialRead = check.exact ? std::nullopt : std::optional<NoteReadCheck>(check);
  ShowStatus(ReadNoteStatus(check, reading.format));
  if (formatWhenFilled) {
    formatWhenFilled = false;
    FormatNote();
  }
}

// The box's text over the whole file, without asking.
void WriteBox(const std::optional<NoteReadCheck>& overPartialRead) {
  const NoteSaving saving = SaveNoteBytes(BoxText(), fileFormat, SystemGbk());
  // Worded before the file is touched: once it is written, nothing more needs memory.
  const std::wstring done =
      GbkToWide(overPartialRead ? OverwriteStatus(*overPartialRead, saving) : SaveNoteStatus(saving));
  const uint32_t error = SaveWholeFile(NotepadFilePath(), saving.bytes);
  if (error != 0) {
    ShowStatus(SaveFailureText(error));
    return;
  }
  fileFormat = saving.format;
  partialRead.reset();
  ShowStatusAsIs(done.c_str());
}

void SaveBox() {
  // Saving part of the file would cut the rest of it off.
  if (filling) {
    ShowStatus(kSaveWhileReading);
    return;
  }
  const std::optional<NoteReadCheck> overPartialRead = partialRead;
  if (overPartialRead) {
    const unsigned asked = boxChanges;
    const bool yes = notepadControls.confirm && notepadControls.confirm(OverwriteQuestion(*overPartialRead));
    if (!IsWindow(notepadControls.box)) return;
    if (filling) {
      ShowStatus(kSaveWhileReading);
      return;
    }
    // A "yes" given while another text came into the box was not about that text.
    if (!yes || asked != boxChanges) {
      ShowStatus(kOverwriteDeclined);
      return;
    }
  }
  WriteBox(overPartialRead);
}

void FormatBox() {
  if (filling) {
    formatWhenFilled = true;
    return;
  }
  const NewestRequest::Ticket mine = turns.Begin();
  if (!FormatWholeBox(notepadControls.box, [mine] { return turns.IsNewest(mine); })) return;
  ShowStatus(kFormatNoteDone);
}

}  // namespace

void SetNotepadControls(const NotepadControls& controls) {
  notepadControls = controls;
  fileFormat = NoteFileFormat();
  turns.StopAll();
  filling = false;
  formatWhenFilled = false;
  partialRead.reset();
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

uint32_t SaveWholeFile(const std::wstring& path, const std::string& bytes) {
  DiskFileOps disk;
  // Distinct for every save of every running copy of the program.
  static unsigned saves = 0;
  const uint32_t unique = (GetCurrentProcessId() << 12) ^ (++saves) ^ GetTickCount();
  return SaveThroughTemporary(disk, path, TemporaryPathFor(path, unique), bytes);
}

void NewNote() {
  RunOrOnNoMemory(EmptyBox, [] { ShowStatusAsIs(L"新建失败：内存不足"); });
}

void ReadNote() {
  std::optional<NewestRequest::Ticket> mine;
  size_t fileBytes = 0;
  RunOrOnNoMemory([&] { FillBoxFromFile(mine, fileBytes); },
                  [&] {
                    if (!mine) {
                      ShowStatusAsIs(L"读取失败：内存不足");  // the box is as it was
                      return;
                    }
                    // A newer operation has the box, and says how it went.
                    if (!turns.IsNewest(*mine)) return;
                    filling = false;
                    formatWhenFilled = false;
                    NoteReadCheck unfinished;
                    unfinished.fileBytes = fileBytes;
                    unfinished.unfinished = true;
                    partialRead = unfinished;
                    ShowStatusAsIs(L"读取没有完成：内存不足，框里可能只有文件的一部分");
                  });
}

void SaveNote() {
  // The file is replaced only once its new bytes are complete: it is as it was.
  RunOrOnNoMemory(SaveBox, [] { ShowStatusAsIs(L"保存失败：内存不足，文件没有改动"); });
}

void FormatNote() {
  RunOrOnNoMemory(FormatBox, [] { ShowStatusAsIs(L"格式化没有完成：内存不足"); });
}
