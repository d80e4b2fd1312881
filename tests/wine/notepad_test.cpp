// The notepad page against a real rich edit box and real files beside this
// test program: reading, saving through a temporary file, failures that keep
// the user's text and the old file, and formatting.
#include <windows.h>
#include <richedit.h>

#include <cstdio>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "answerbank/RichEditBox.h"
#include "answerbank/notepad/Notepad.h"
#include "answerbank/notepad/NotepadFile.h"
#include "app/Globals.h"
#include "check.h"
#include "failing_new.h"
#include "platform/Controls.h"
#include "platform/Handles.h"
#include "platform/Text.h"
#include "test_window.h"

namespace {

constexpr wchar_t kChildVariable[] = L"TAVREL_NOTEPAD_TEST_CHILD";

struct NotepadWindow {
  HWND host = nullptr;
  HWND box = nullptr;
  HWND status = nullptr;

  NotepadWindow() {
    static const HMODULE richEdit = LoadLibraryW(L"msftedit.dll");
    (void)richEdit;
    host = MakeTestWindow(L"NotepadTestHost", 0, WS_OVERLAPPEDWINDOW, 0, 0, 620, 400);
    box = CreateWindowExW(0, MSFTEDIT_CLASS, L"", WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_WANTRETURN, 0, 30, 600, 300,
                          host, nullptr, nullptr, nullptr);
    SendMessageW(box, EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
    status = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 300, 20, host, nullptr, nullptr, nullptr);
    GlobalInit();
    SetNotepadControls({box, status, [this](const std::string& question) {
                          questions.push_back(question);
                          return answer;
                        }});
  }
  ~NotepadWindow() {
    DestroyWindow(host);
    ExitCleanup();
  }
  NotepadWindow(const NotepadWindow&) = delete;
  NotepadWindow& operator=(const NotepadWindow&) = delete;

  std::string Text() const { return RichEditBox(box).Content(); }
  void SetText(const std::string& gbk) const { RichEditBox(box).SetContent(gbk); }
  std::string Status() const { return GetWindowTextGbk(status); }
  std::pair<long, long> Selection() const {
    const CHARRANGE range = RichEditBox(box).Selection();
    return {range.cpMin, range.cpMax};
  }
  void SetStatus(const char* text) const { SetWindowTextGbk(status, text); }

  // The questions the notepad asked, and the answer it gets.
  std::vector<std::string> questions;
  bool answer = false;
};

// --- files, read and written directly, not through the code under test ---------

std::wstring Folder() {
  const std::wstring path = NotepadFilePath();
  return path.substr(0, path.find_last_of(L'\\'));
}

void MakeWritable(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
    SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
}

void Remove(const std::wstring& path) {
  MakeWritable(path);
  DeleteFileW(path.c_str());
}

bool Write(const std::wstring& path, const std::string& bytes) {
  Remove(path);
  FileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  return file && WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
         written == bytes.size();
}

std::optional<std::string> Read(const std::wstring& path) {
  FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return std::nullopt;
  std::string bytes(GetFileSize(file.Get(), nullptr), '\0');
  DWORD read = 0;
  if (!bytes.empty() && !ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr))
    return std::nullopt;
  bytes.resize(read);
  return bytes;
}

// Names of the temporary files a save leaves behind in the notepad's folder.
std::vector<std::wstring> Leftovers() {
  std::vector<std::wstring> names;
  const std::wstring pattern = Folder() + L"\\我的文件.txt.*";
  WIN32_FIND_DATAW found{};
  const HANDLE search = FindFirstFileW(pattern.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    names.push_back(found.cFileName);
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return names;
}

// Removes the notepad file before and after each test.
struct CleanFile {
  std::wstring path = NotepadFilePath();
  CleanFile() { Remove(path); }
  ~CleanFile() {
    Remove(path);
    for (const std::wstring& name : Leftovers()) Remove(Folder() + L"\\" + name);
  }
};

std::string Bytes(const char* text, size_t size) { return std::string(text, size); }

// --- path --------------------------------------------------------------------------

TEST(TheFileIsBesideTheProgram) {
  wchar_t program[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameW(nullptr, program, MAX_PATH);
  std::wstring expected(program, length);
  expected = expected.substr(0, expected.find_last_of(L'\\')) + L"\\我的文件.txt";
  CHECK_EQ(NotepadFilePath(), expected);
}

// --- new and read ----------------------------------------------------------------------

TEST(NewEmptiesTheBox) {
  NotepadWindow w;
  w.SetText("草稿");
  NewNote();
  CHECK_EQ(w.Text(), std::string());
  CHECK_EQ(w.Status(), std::string("新建成功"));
}

TEST(ReadingAMissingFileKeepsTheTextAndSaysSo) {
  CleanFile clean;
  NotepadWindow w;
  w.SetText("还没保存的答案");
  ReadNote();
  CHECK_EQ(w.Text(), std::string("还没保存的答案"));
  CHECK_EQ(w.Status(), std::string("读取失败：文件不存在"));
}

TEST(ReadingStopsAtTheFirstZeroByteAndSaysSo) {
  CleanFile clean;
  CHECK(Write(clean.path, Bytes("甲乙\0丙丁", 9)));
  NotepadWindow w;
  ReadNote();
  CHECK_EQ(w.Text(), std::string("甲乙"));
  CHECK_EQ(w.Status(), std::string("读取不完整：只显示了前 4 字节，文件共 9 字节"));
}

TEST(ReadingChineseTextWithLineBreaksGivesItBack) {
  CleanFile clean;
  const std::string text = "第一题：答案 A\r\n第二题：答案 B\r\n\r\n结束";
  CHECK(Write(clean.path, text));
  NotepadWindow w;
  w.SetText("旧内容");
  ReadNote();
  CHECK_EQ(w.Text(), text);
  CHECK_EQ(w.Status(), std::string("读取成功"));
}

TEST(ReadingALongFileKeepsEveryLineBreakWhereThePiecesMeet) {
  CleanFile clean;
  // The box takes a long text in pieces of 8192 UTF-16 units: here a CR LF
  // straddles the first boundary, and Chinese characters the later ones.
  std::string text = std::string(8191, 'a') + "\r\n";
  while (text.size() < 60000) text += "第几题：答案在这一行\r\n";
  text += "末尾";
  CHECK(Write(clean.path, text));
  NotepadWindow w;
  ReadNote();
  CHECK_EQ(w.Status(), std::string("读取成功"));
  const std::string shown = w.Text();
  CHECK_EQ(shown.size(), text.size());
  CHECK(shown == text);
}

TEST(PiecesStopWhenAskedTo) {
  NotepadWindow w;
  const std::string text = std::string(20000, 'b');
  int calls = 0;
  CHECK(!RichEditBox(w.box).SetContentInPieces(text, [&] { return ++calls < 2; }));
  CHECK_EQ(calls, 2);
  CHECK_EQ(w.Text(), std::string(16384, 'b'));
  // A stop asked for while a long old text goes out ends the fill there too.
  CHECK(!RichEditBox(w.box).SetContentInPieces("短的", [&] { return ++calls < 0; }));
  CHECK_EQ(calls, 3);
  CHECK_EQ(w.Text(), std::string(8192, 'b'));
  // A short text over a short one goes in at once, without asking.
  CHECK(RichEditBox(w.box).SetContentInPieces("短的", [&] { return ++calls < 0; }));
  CHECK_EQ(calls, 3);
  CHECK_EQ(w.Text(), std::string("短的"));
}

TEST(ANewerFillMadeWhileTheOldTextGoesOutKeepsTheBox) {
  NotepadWindow w;
  RichEditBox box(w.box);
  CHECK(box.SetContentInPieces(std::string(30000, 'o'), [] { return true; }));
  // The newer fill runs from inside the older one's message processing, as a
  // second click on "读取" does; the older one must then leave the box alone.
  bool newerDone = false;
  const bool older = box.SetContentInPieces(std::string(20000, 'x'), [&] {
    if (!newerDone) newerDone = box.SetContentInPieces("新的内容", [] { return true; });
    return !newerDone;
  });
  CHECK(!older);
  CHECK(newerDone);
  CHECK_EQ(w.Text(), std::string("新的内容"));
}

TEST(ReadingAnEmptyFileEmptiesTheBox) {
  CleanFile clean;
  CHECK(Write(clean.path, ""));
  NotepadWindow w;
  w.SetText("旧内容");
  ReadNote();
  CHECK_EQ(w.Text(), std::string());
  CHECK_EQ(w.Status(), std::string("读取成功"));
}

TEST(ReadingAFileAnotherProgramWritesFailsAndKeepsTheText) {
  CleanFile clean;
  CHECK(Write(clean.path, "文件内容"));
  FileHandle writer(CreateFileW(clean.path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  CHECK(static_cast<bool>(writer));
  NotepadWindow w;
  w.SetText("框里的字");
  ReadNote();
  CHECK_EQ(w.Text(), std::string("框里的字"));
  CHECK_EQ(w.Status(), std::string("读取失败：文件被其他程序占用"));
}

// --- encodings ---------------------------------------------------------------------------

std::wstring WideText(HWND box) { return RichEditBox(box).WideContent(); }

long Length(HWND box) {
  GETTEXTLENGTHEX request{GTL_NUMCHARS | GTL_PRECISE, 1200};
  return static_cast<long>(SendMessageW(box, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&request), 0));
}

// The same note in every encoding a file may come in: read, then saved
// unchanged, it gives back the very same bytes. GBK stays the program's own;
// the others keep their byte order mark, or its absence, and their line ends.
TEST(ReadingThenSavingUnchangedKeepsEveryEncodingByteForByte) {
  CleanFile clean;
  // 答案 in UTF-8, UTF-16 LE and UTF-16 BE; an emoji GBK lacks after it.
  const std::string utf8 = "\xE7\xAD\x94\xE6\xA1\x88 A\r\n\xF0\x9F\x98\x80\r\n";
  const std::string le = Bytes("\x54\x7B\x48\x68\x20\x00\x41\x00\x0D\x00\x0A\x00\x3D\xD8\x00\xDE\x0D\x00\x0A\x00", 20);
  std::string be;
  for (size_t i = 0; i < le.size(); i += 2) be += {le[i + 1], le[i]};
  const std::wstring wide = L"答案 A\r\n\U0001F600\r\n";
  const struct {
    std::string bytes;
    std::wstring text;
    const char* read;
    const char* saved;
  } files[] = {
      {"答案 A\r\n第二行\r\n", L"答案 A\r\n第二行\r\n", "读取成功", "保存成功"},
      {utf8, wide, "读取成功（UTF-8）", "保存成功（UTF-8）"},
      {"\xEF\xBB\xBF" + utf8, wide, "读取成功（UTF-8 BOM）", "保存成功（UTF-8 BOM）"},
      {"\xFF\xFE" + le, wide, "读取成功（UTF-16 LE）", "保存成功（UTF-16 LE）"},
      {"\xFE\xFF" + be, wide, "读取成功（UTF-16 BE）", "保存成功（UTF-16 BE）"},
      // Line ends of one kind throughout stay that kind.
      {"\xE7\xAD\x94\n\xE6\xA1\x88\n", L"答\r\n案\r\n", "读取成功（UTF-8）", "保存成功（UTF-8）"},
  };
  NotepadWindow w;
  for (const auto& file : files) {
    REQUIRE(Write(clean.path, file.bytes));
    w.SetText("旧内容");
    ReadNote();
    CHECK_EQ(WideText(w.box), file.text);
    CHECK_EQ(w.Status(), std::string(file.read));
    SaveNote();
    CHECK_EQ(w.Status(), std::string(file.saved));
    CHECK_EQ(Read(clean.path).value_or("(missing)"), file.bytes);
  }
}

TEST(CharactersGbkLacksMakeTheFileUtf8AndTheStatusSaysSo) {
  CleanFile clean;
  NotepadWindow w;
  // An emoji, a Hangul syllable, and "À", which GBK lacks but could show as
  // its look-alike "A": none may turn into something else.
  const std::wstring text = L"笔记 \U0001F600 \u00C0 \uD55C\r\n";
  SetWindowTextW(w.box, text.c_str());
  SaveNote();
  CHECK_EQ(w.Status(), std::string("已改存为 UTF-8：有 3 个字符 GBK 存不下"));
  CHECK_EQ(Read(clean.path).value_or("(missing)"),
           std::string("\xE7\xAC\x94\xE8\xAE\xB0 \xF0\x9F\x98\x80 \xC3\x80 \xED\x95\x9C\r\n"));
  NewNote();
  ReadNote();
  CHECK_EQ(WideText(w.box), text);
  CHECK_EQ(w.Status(), std::string("读取成功（UTF-8）"));
  // A text GBK holds, saved again: the file keeps its new encoding.
  w.SetText("只有汉字");
  SaveNote();
  CHECK_EQ(w.Status(), std::string("保存成功（UTF-8）"));
  CHECK_EQ(Read(clean.path).value_or("(missing)"), std::string("\xE5\x8F\xAA\xE6\x9C\x89\xE6\xB1\x89\xE5\xAD\x97"));
}

TEST(AFileThatCannotBeShownAsItIsIsNoSuccess) {
  CleanFile clean;
  NotepadWindow w;
  // UTF-16 cut by a NUL character, and GBK ending in half a character.
  CHECK(Write(clean.path, Bytes("\xFF\xFE\x54\x7B\x00\x00\x48\x68", 8)));
  ReadNote();
  CHECK_EQ(WideText(w.box), std::wstring(L"答"));
  CHECK_EQ(w.Status(), std::string("读取不完整：只显示了前 4 字节，文件共 8 字节"));
  CHECK(Write(clean.path, "ab\x81"));
  ReadNote();
  CHECK_EQ(w.Status(), std::string("读取有误：自第 3 字节起无法原样显示"));
}

// --- a read that did not show the whole file -------------------------------------------

TEST(SavingAfterAReadThatDidNotShowTheFileAsItIsAsksFirst) {
  CleanFile clean;
  NotepadWindow w;
  // UTF-8 with a byte order mark and a stray byte after 20 bytes of text.
  const std::string utf8 = "\xEF\xBB\xBF" "ab" u8"第一题" "abcdef" "\xFF" + std::string(32, 'z');
  REQUIRE(Write(clean.path, utf8));
  ReadNote();
  CHECK_EQ(w.Status(), std::string("读取不完整：只显示了前 20 字节，文件共 53 字节"));
  // "否", the default: nothing is written.
  SaveNote();
  REQUIRE_EQ(w.questions.size(), size_t{1});
  CHECK_EQ(w.questions[0], std::string("读取时只显示了文件的前 20 字节，文件共 53 字节。\n保存会用框里的文字替换整个文件，"
                                       "后面的 33 字节将会丢失。\n\n仍要保存吗？"));
  CHECK_EQ(w.Status(), std::string("没有保存，文件保持原样"));
  CHECK_EQ(Read(clean.path).value_or("(missing)"), utf8);
  // "是": the box's text is written, and the status says what was.
  w.answer = true;
  SaveNote();
  CHECK_EQ(w.questions.size(), size_t{2});
  CHECK_EQ(w.Status(), std::string("已保存 20 字节（UTF-8 BOM），替换了原来的 53 字节"));
  CHECK_EQ(Read(clean.path).value_or("(missing)"), utf8.substr(0, 20));
  // The file is what the box shows now: the next save asks nothing.
  SaveNote();
  CHECK_EQ(w.questions.size(), size_t{2});
  CHECK_EQ(w.Status(), std::string("保存成功（UTF-8 BOM）"));

  // UTF-16 without a byte order mark, read as GBK up to its first zero byte;
  // after "新建" a save writes the new text without asking, as always.
  w.answer = false;
  REQUIRE(Write(clean.path, Bytes("a\0b\0c\0", 6)));
  ReadNote();
  CHECK_EQ(w.Status(), std::string("读取不完整：只显示了前 1 字节，文件共 6 字节"));
  SaveNote();
  CHECK_EQ(w.questions.size(), size_t{3});
  CHECK_EQ(Read(clean.path).value_or("(missing)"), Bytes("a\0b\0c\0", 6));
  NewNote();
  w.SetText("新的笔记");
  SaveNote();
  CHECK_EQ(w.questions.size(), size_t{3});
  CHECK_EQ(w.Status(), std::string("保存成功"));
  CHECK_EQ(Read(clean.path).value_or("(missing)"), std::string("新的笔记"));

  // Bytes that are no characters are asked about too; a read of a whole file
  // afterwards saves without asking.
  REQUIRE(Write(clean.path, "ab\x81"));
  ReadNote();
  CHECK_EQ(w.Status(), std::string("读取有误：自第 3 字节起无法原样显示"));
  SaveNote();
  REQUIRE_EQ(w.questions.size(), size_t{4});
  CHECK_EQ(w.questions[3], std::string("文件自第 3 字节起无法原样显示（文件共 3 字节）。\n保存会用框里的文字替换整个文件，"
                                       "这些字节将被改写。\n\n仍要保存吗？"));
  CHECK_EQ(Read(clean.path).value_or("(missing)"), std::string("ab\x81"));
  REQUIRE(Write(clean.path, "完整的文件"));
  ReadNote();
  CHECK_EQ(w.Status(), std::string("读取成功"));
  w.SetText("改过的文件");
  SaveNote();
  CHECK_EQ(w.questions.size(), size_t{4});
  CHECK_EQ(Read(clean.path).value_or("(missing)"), std::string("改过的文件"));

  // Where the notepad cannot ask, the answer is no.
  SetNotepadControls({w.box, w.status, nullptr});
  REQUIRE(Write(clean.path, utf8));
  ReadNote();
  SaveNote();
  CHECK_EQ(w.Status(), std::string("没有保存，文件保持原样"));
  CHECK_EQ(Read(clean.path).value_or("(missing)"), utf8);
}

// --- limits and memory ------------------------------------------------------------------

TEST(AFileBeyondTheLimitsIsNotReadAndTheBoxKeepsItsText) {
  CleanFile clean;
  NotepadWindow w;
  const std::string files[] = {
      std::string(3000004, 'a'),               // more than a million characters in any encoding
      std::string(1000001, 'a'),               // a million and one characters of GBK
      "\xFF\xFE" + std::string(2000002, 'a'),  // a million and one of UTF-16
  };
  for (const std::string& file : files) {
    REQUIRE(Write(clean.path, file));
    w.SetText("还没保存的答案");
    ReadNote();
    CHECK_EQ(w.Status(), std::string("读取失败：文件太大，记事本最多显示 100 万字"));
    CHECK_EQ(w.Text(), std::string("还没保存的答案"));
  }
}

// Each of a handler's larger allocations fails in turn, until one run needs
// none that fails: every time, the handler ends with a status that says so,
// the box and the file as that status says, and the program goes on.
TEST(RunningOutOfMemoryEndsEachHandlerWithItsStatus) {
  CleanFile clean;
  std::string text;
  for (int i = 0; text.size() < 40000; ++i) text += "第" + std::to_string(i) + "题：答案在这一行\r\n";
  REQUIRE(Write(clean.path, text));
  NotepadWindow w;
  constexpr size_t kLarge = 16384;
  std::vector<std::string> readEnds;
  for (int k = 0;; ++k) {
    REQUIRE(k < 40);
    w.SetText("旧内容");
    failingnew::FailOne(kLarge, k);
    ReadNote();
    if (!failingnew::Disarm()) {
      CHECK_EQ(w.Status(), std::string("读取成功"));
      CHECK(w.Text() == text);
      break;
    }
    readEnds.push_back(w.Status());
    if (w.Status() == "读取失败：内存不足") {
      CHECK_EQ(w.Text(), std::string("旧内容"));
      continue;
    }
    CHECK_EQ(w.Status(), std::string("读取没有完成：内存不足，框里可能只有文件的一部分"));
    // The box may hold part of the file: "保存" asks, and "否" keeps the file.
    const size_t asked = w.questions.size();
    SaveNote();
    CHECK_EQ(w.questions.size(), asked + 1);
    CHECK_EQ(w.Status(), std::string("没有保存，文件保持原样"));
    CHECK(Read(clean.path).value_or("") == text);
  }
  std::printf("  (a read ran out of memory at %u places)\n", static_cast<unsigned>(readEnds.size()));
  CHECK(std::count(readEnds.begin(), readEnds.end(), "读取失败：内存不足") > 0);
  CHECK(std::count(readEnds.begin(), readEnds.end(), "读取没有完成：内存不足，框里可能只有文件的一部分") > 0);

  const std::string edited = "改过的" + text;
  w.SetText(edited);
  for (int k = 0;; ++k) {
    REQUIRE(k < 40);
    failingnew::FailOne(kLarge, k);
    SaveNote();
    if (!failingnew::Disarm()) {
      CHECK_EQ(w.Status(), std::string("保存成功"));
      CHECK(Read(clean.path).value_or("") == edited);
      break;
    }
    CHECK_EQ(w.Status(), std::string("保存失败：内存不足，文件没有改动"));
    CHECK(Read(clean.path).value_or("") == text);
    CHECK_EQ(Leftovers(), (std::vector<std::wstring>{L"我的文件.txt"}));
  }

  for (int k = 0;; ++k) {
    REQUIRE(k < 40);
    failingnew::FailOne(kLarge, k);
    FormatNote();
    if (!failingnew::Disarm()) {
      CHECK_EQ(w.Status(), std::string("文字格式化成功"));
      break;
    }
    CHECK_EQ(w.Status(), std::string("格式化没有完成：内存不足"));
    CHECK(w.Text() == edited);
  }
}

// --- one fill at a time -------------------------------------------------------------------

// A second click while "读取" still fills the box: the window below runs it
// from inside the read's pauses for messages, as a real click would run, and
// notes how far the fill had come.
struct Click {
  void (*handler)() = nullptr;
  HWND box = nullptr;
  long boxLengthThen = -1;
  std::string statusAfter;
  HWND status = nullptr;
};
Click pendingClick;

LRESULT CALLBACK ClickProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_APP && pendingClick.handler) {
    pendingClick.boxLengthThen = Length(pendingClick.box);
    auto handler = pendingClick.handler;
    pendingClick.handler = nullptr;
    handler();
    pendingClick.statusAfter = GetWindowTextGbk(pendingClick.status);
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

// Posts the click of `handler`, to be handled at the next look at the queue.
void PostClick(const NotepadWindow& w, void (*handler)()) {
  static const HWND clicker = MakeTestWindow(L"NotepadTestClicks", 0, WS_POPUP, 0, 0, 10, 10, nullptr, ClickProc);
  pendingClick = Click{handler, w.box, -1, "", w.status};
  PostMessageW(clicker, WM_APP, 0, 0);
}

// Clicks `first` and, quickly after, `second`; true when the second came while
// the first was still filling the box (neither empty nor full).
bool ClickTwice(const NotepadWindow& w, void (*first)(), void (*second)(), long fullLength) {
  PostClick(w, second);
  first();
  return pendingClick.boxLengthThen > 0 && pendingClick.boxLengthThen < fullLength;
}

// Long enough to go into the box in many pieces.
std::string LongText() {
  std::string text;
  for (int i = 0; text.size() < 120000; ++i) text += "第" + std::to_string(i) + "题：答案在这一行\r\n";
  return text;
}

// The long file beside the program, read once to learn its length in the box.
struct LongFileRead {
  CleanFile clean;
  std::string text = LongText();
  NotepadWindow w;
  long full = 0;
  LongFileRead() {
    CHECK(Write(clean.path, text));
    ReadNote();
    full = Length(w.box);
  }
};

TEST(ASecondReadDuringALongReadLeavesTheFileInTheBoxOnce) {
  LongFileRead file;
  file.w.SetText("旧内容");
  REQUIRE(ClickTwice(file.w, ReadNote, ReadNote, file.full));
  CHECK_EQ(Length(file.w.box), file.full);
  CHECK(file.w.Text() == file.text);
  CHECK_EQ(file.w.Status(), std::string("读取成功"));
  // And saved as it is: the file stays the same.
  SaveNote();
  CHECK(Read(file.clean.path).value_or("") == file.text);
}

TEST(NewDuringALongReadLeavesTheBoxEmpty) {
  LongFileRead file;
  REQUIRE(ClickTwice(file.w, ReadNote, NewNote, file.full));
  CHECK_EQ(file.w.Text(), std::string());
  CHECK_EQ(file.w.Status(), std::string("新建成功"));
}

TEST(SaveDuringALongReadKeepsTheFileWhole) {
  LongFileRead file;
  REQUIRE(ClickTwice(file.w, ReadNote, SaveNote, file.full));
  CHECK_EQ(pendingClick.statusAfter, std::string("读取尚未完成，没有保存"));
  CHECK(Read(file.clean.path).value_or("") == file.text);
  CHECK(file.w.Text() == file.text);
  CHECK_EQ(file.w.Status(), std::string("读取成功"));
}

// A check box of another page, shown when the notepad's page is left.
HWND otherPageControl = nullptr;

bool HasVisibleStyle(HWND window) { return (GetWindowLongPtrW(window, GWL_STYLE) & WS_VISIBLE) != 0; }

void ShowNotepadPage(bool shown) {
  ShowControl(pendingClick.box, shown);
  ShowControl(otherPageControl, !shown);
}
void LeavePage() { ShowNotepadPage(false); }
void ComeBack() { ShowNotepadPage(true); }
void LeaveAndComeBack() {
  LeavePage();
  ComeBack();
}

TEST(PagesSwitchedDuringALongReadShowOnlyTheCurrentPage) {
  CleanFile clean;
  const std::string text = LongText();
  REQUIRE(Write(clean.path, text));
  // The box's length: a CR LF is one position.
  const std::wstring wide = GbkToWide(text);
  const long full = static_cast<long>(wide.size()) - static_cast<long>(std::count(wide.begin(), wide.end(), L'\n'));
  const struct {
    void (*switches)();
    bool boxShownAfter;
  } sequences[] = {{LeavePage, false}, {ComeBack, true}, {LeaveAndComeBack, true}};
  for (const auto& sequence : sequences) {
    // Each time an empty box: taking the long text out again is slow under Wine.
    NotepadWindow w;
    otherPageControl = CreateWindowExW(0, L"BUTTON", L"划屏取词", WS_CHILD | BS_AUTOCHECKBOX, 0, 30, 200, 20, w.host,
                                       nullptr, nullptr, nullptr);
    REQUIRE(ClickTwice(w, ReadNote, sequence.switches, full));
    CHECK(w.Text() == text);
    CHECK_EQ(HasVisibleStyle(w.box), sequence.boxShownAfter);
    CHECK_EQ(HasVisibleStyle(otherPageControl), !sequence.boxShownAfter);
  }
  otherPageControl = nullptr;
}

// --- save ----------------------------------------------------------------------------------

TEST(SavingAnEmptyBoxLeavesAnEmptyFile) {
  CleanFile clean;
  CHECK(Write(clean.path, "old bytes"));
  NotepadWindow w;
  SaveNote();
  CHECK_EQ(w.Status(), std::string("保存成功"));
  CHECK_EQ(Read(clean.path).value_or("(missing)"), std::string());
  CHECK_EQ(Leftovers(), (std::vector<std::wstring>{L"我的文件.txt"}));
}

TEST(SaveThenReadGivesBackTheSameBytes) {
  CleanFile clean;
  const std::string text = "选择题：\r\n1. 甲 B\r\n2. 乙 ABC（全角）\r\n";
  NotepadWindow w;
  w.SetText(text);
  SaveNote();
  CHECK_EQ(w.Status(), std::string("保存成功"));
  CHECK_EQ(Read(clean.path).value_or("(missing)"), text);
  NewNote();
  ReadNote();
  CHECK_EQ(w.Text(), text);
  CHECK_EQ(w.Status(), std::string("读取成功"));
}

TEST(SavingOntoAReadOnlyFileFailsAndKeepsTheOldBytes) {
  CleanFile clean;
  CHECK(Write(clean.path, "旧的文件"));
  SetFileAttributesW(clean.path.c_str(), FILE_ATTRIBUTE_READONLY);
  NotepadWindow w;
  w.SetText("新的内容");
  SaveNote();
  CHECK_EQ(w.Status(), std::string("保存失败：文件只读或无权访问"));
  CHECK_EQ(Read(clean.path).value_or("(missing)"), std::string("旧的文件"));
  CHECK_EQ(w.Text(), std::string("新的内容"));
  CHECK_EQ(Leftovers(), (std::vector<std::wstring>{L"我的文件.txt"}));
}

TEST(SavingOntoAFileAnotherProgramHoldsFailsAndKeepsTheOldBytes) {
  CleanFile clean;
  CHECK(Write(clean.path, "旧的文件"));
  NotepadWindow w;
  w.SetText("新的内容");
  {
    FileHandle holder(CreateFileW(clean.path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    CHECK(static_cast<bool>(holder));
    SaveNote();
  }
  CHECK_EQ(w.Status(), std::string("保存失败：文件被其他程序占用"));
  CHECK_EQ(Read(clean.path).value_or("(missing)"), std::string("旧的文件"));
  CHECK_EQ(Leftovers(), (std::vector<std::wstring>{L"我的文件.txt"}));
  // Once the other program lets go, the same text saves.
  SaveNote();
  CHECK_EQ(w.Status(), std::string("保存成功"));
  CHECK_EQ(Read(clean.path).value_or("(missing)"), std::string("新的内容"));
}

TEST(SaveWholeFileReplacesALongerFileCompletely) {
  CleanFile clean;
  CHECK(Write(clean.path, std::string(100000, 'x')));
  CHECK_EQ(SaveWholeFile(clean.path, "短"), uint32_t{0});
  CHECK_EQ(Read(clean.path).value_or("(missing)"), std::string("短"));
}

// --- format ------------------------------------------------------------------------------------

CHARFORMAT2W FormatAt(HWND box, long position) {
  CHARRANGE one{position, position + 1};
  SendMessageW(box, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&one));
  CHARFORMAT2W cf{};
  cf.cbSize = sizeof cf;
  SendMessageW(box, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
  return cf;
}

// One letter per character: 's' for 宋体 9 black with no effects, 'x' otherwise.
std::string StandardMap(HWND box) {
  const long length = Length(box);
  std::string map;
  for (long i = 0; i < length; ++i) {
    const CHARFORMAT2W cf = FormatAt(box, i);
    const bool standard = std::wstring(cf.szFaceName) == L"宋体" && cf.yHeight == 180 && cf.yOffset == 0 &&
                          !(cf.dwEffects & (CFE_BOLD | CFE_ITALIC | CFE_UNDERLINE | CFE_STRIKEOUT | CFE_PROTECTED |
                                            CFE_AUTOCOLOR)) &&
                          cf.crTextColor == 0;
    map += standard ? 's' : 'x';
  }
  return map;
}

void Decorate(HWND box, long from, long to, const wchar_t* face, LONG height, DWORD effects, COLORREF colour) {
  CHARRANGE range{from, to};
  SendMessageW(box, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
  CHARFORMAT2W cf{};
  cf.cbSize = sizeof cf;
  cf.dwMask = CFM_FACE | CFM_SIZE | CFM_COLOR | CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT | CFM_OFFSET;
  lstrcpynW(cf.szFaceName, face, LF_FACESIZE);
  cf.yHeight = height;
  cf.dwEffects = effects;
  cf.crTextColor = colour;
  cf.yOffset = 40;
  SendMessageW(box, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
}

TEST(FormatResetsAMixedTextToTheStandardFormat) {
  NotepadWindow w;
  // 11 characters: CR LF counts one, each Chinese character one.
  w.SetText("甲乙答案\r\nABC丙\r\n丁");
  CHECK_EQ(Length(w.box), 11L);
  Decorate(w.box, 0, 3, L"Arial", 280, CFE_BOLD | CFE_UNDERLINE, RGB(255, 0, 0));
  Decorate(w.box, 5, 9, L"Courier New", 200, CFE_ITALIC | CFE_STRIKEOUT, RGB(0, 0, 255));
  CHECK_EQ(StandardMap(w.box), std::string("xxxxxxxxxxx"));
  RichEditBox(w.box).Select(2, 7);
  FormatNote();
  CHECK_EQ(w.Status(), std::string("文字格式化成功"));
  CHECK_EQ(w.Selection(), (std::pair<long, long>{0, 0}));
  CHECK_EQ(StandardMap(w.box), std::string("sssssssssss"));
  CHECK_EQ(w.Text(), std::string("甲乙答案\r\nABC丙\r\n丁"));
}

TEST(FormatReachesTheLastCharacterOfALongText) {
  NotepadWindow w;
  std::string text;
  for (int i = 0; i < 1000; ++i) text += "第" + std::to_string(i) + "题：答案在这里\r\n";
  text += "最后";
  w.SetText(text);
  const long length = Length(w.box);
  CHECK(length > 10000);
  Decorate(w.box, 0, length, L"Arial", 300, CFE_BOLD, RGB(0, 128, 0));
  FormatNote();
  CHECK_EQ(w.Status(), std::string("文字格式化成功"));
  CHECK_EQ(w.Selection(), (std::pair<long, long>{0, 0}));
  // The slices meet without a gap: the characters around every boundary and the last ones.
  std::string samples;
  for (long at : {0L, 4999L, 5000L, 5001L, 9999L, 10000L, length - 2, length - 1}) {
    const CHARFORMAT2W cf = FormatAt(w.box, at);
    samples += std::wstring(cf.szFaceName) == L"宋体" && cf.yHeight == 180 && !(cf.dwEffects & CFE_BOLD) &&
                       cf.crTextColor == 0
                   ? 's'
                   : 'x';
  }
  CHECK_EQ(samples, std::string("ssssssss"));
  CHECK_EQ(w.Text(), text);
}

TEST(FormatOfTextAlreadyStandardLeavesItSo) {
  NotepadWindow w;
  w.SetText("答案\r\nABC");
  FormatNote();
  w.SetStatus("");
  FormatNote();
  CHECK_EQ(w.Status(), std::string("文字格式化成功"));
  CHECK_EQ(w.Selection(), (std::pair<long, long>{0, 0}));
  CHECK_EQ(StandardMap(w.box), std::string("ssssss"));
}

TEST(FormatOfAnEmptyBoxSelectsNothing) {
  NotepadWindow w;
  FormatNote();
  CHECK_EQ(w.Status(), std::string("文字格式化成功"));
  CHECK_EQ(w.Selection(), (std::pair<long, long>{0, 0}));
  CHECK_EQ(w.Text(), std::string());
}

TEST(FormatSetsTheStandardFormatRecord) {
  NotepadWindow w;
  Globals().standardFormat = TextFormat{"Arial", 20, 0, 0, kAutoColour};
  FormatNote();
  CHECK_EQ(Globals().standardFormat.face, std::string("宋体"));
  CHECK_EQ(Globals().standardFormat.size, 9);
  CHECK_EQ(Globals().standardFormat.colour, uint32_t{0});
}

TEST(FormatDuringALongReadFormatsTheWholeFileOnceItIsIn) {
  LongFileRead file;
  Decorate(file.w.box, 0, file.full, L"Arial", 300, CFE_BOLD, RGB(0, 128, 0));
  REQUIRE(ClickTwice(file.w, ReadNote, FormatNote, file.full));
  CHECK(file.w.Text() == file.text);
  CHECK_EQ(file.w.Status(), std::string("文字格式化成功"));
  std::string samples;
  for (long at : {0L, file.full / 2, file.full - 1}) {
    const CHARFORMAT2W cf = FormatAt(file.w.box, at);
    samples += std::wstring(cf.szFaceName) == L"宋体" && cf.yHeight == 180 && !(cf.dwEffects & CFE_BOLD) ? 's' : 'x';
  }
  CHECK_EQ(samples, std::string("sss"));
}

TEST(AReadDuringALongFormatEndsTheFormat) {
  CleanFile clean;
  const std::string text = LongText();
  REQUIRE(Write(clean.path, "短的文件"));
  NotepadWindow w;
  w.SetText(text);
  const long full = Length(w.box);
  Decorate(w.box, 0, full, L"Arial", 300, CFE_BOLD, RGB(0, 128, 0));
  PostClick(w, ReadNote);
  FormatNote();
  CHECK(pendingClick.handler == nullptr);  // the read ran in the format's middle
  CHECK_EQ(w.Text(), std::string("短的文件"));
  CHECK_EQ(w.Status(), std::string("读取成功"));
}

// --- a program folder with a Chinese name --------------------------------------------------------

// The child: saves a text into the notepad file beside its own copy of this program.
int SaveAsChild() {
  NotepadWindow w;
  w.SetText("中文目录里的笔记");
  SaveNote();
  return w.Status() == "保存成功" ? 0 : 1;
}

TEST(AProgramFolderWithAChineseNameWorks) {
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  const std::wstring folder = std::wstring(temp) + L"记事本测试 目录";
  CreateDirectoryW(folder.c_str(), nullptr);
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  const std::wstring copy = folder + L"\\notepad_test_copy.exe";
  const std::wstring notepadFile = folder + L"\\我的文件.txt";
  Remove(notepadFile);
  CHECK(CopyFileW(self, copy.c_str(), FALSE));

  SetEnvironmentVariableW(kChildVariable, L"1");
  std::wstring commandLine = L"\"" + copy + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  const BOOL started = CreateProcessW(copy.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                      nullptr, &startup, &process);
  SetEnvironmentVariableW(kChildVariable, nullptr);
  CHECK(started);
  if (started) {
    KernelHandle processHandle(process.hProcess);
    KernelHandle threadHandle(process.hThread);
    CHECK_EQ(WaitForSingleObject(processHandle.Get(), 60000), DWORD{WAIT_OBJECT_0});
    DWORD exitCode = 99;
    GetExitCodeProcess(processHandle.Get(), &exitCode);
    CHECK_EQ(exitCode, DWORD{0});
  }
  CHECK_EQ(Read(notepadFile).value_or("(missing)"), std::string("中文目录里的笔记"));
  Remove(notepadFile);
  DeleteFileW(copy.c_str());
  RemoveDirectoryW(folder.c_str());
}

}  // namespace

int main() {
  wchar_t child[4] = {};
  if (GetEnvironmentVariableW(kChildVariable, child, 4) > 0) return SaveAsChild();
  return check::RunAll();
}
