// The import of dropped files against the stand-in word processor (registered
// as Word.Application by the word.register fixture, and told by an environment
// variable to be missing or to copy nothing): the automation calls in their
// order, only a clipboard that changed counts, the built-in reader where Word
// cannot help, several files in one drop, a bank that stays when nothing
// loads, the user's clipboard put back, one import at a time, and the
// one-shot delayed paste.
#include <windows.h>
#include <ole2.h>
#include <richedit.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "../../stand-ins/word/WordStandin.h"
#include "answerbank/RichEditBox.h"
#include "answerbank/import/DocumentImport.h"
#include "answerbank/import/DocumentReader.h"
#include "answerbank/import/WordImport.h"
#include "app/Globals.h"
#include "check.h"
#include "clipboard_support.h"
#include "failing_new.h"
#include "platform/Clipboard.h"
#include "platform/ClipboardLoan.h"
#include "platform/Controls.h"
#include "platform/Handles.h"
#include "platform/MessagePump.h"
#include "platform/Text.h"
#include "test_window.h"
#include "zip_builder.h"

namespace {

constexpr UINT_PTR kPasteTimer = 7;
const char* const kIdleStatus = "自定义考答案内容：";

std::vector<std::string> events;  // page, tab and timer calls, and the box's texts, in order
int pasteTicks = 0;
WNDPROC boxProcedure = nullptr;
// A drop delivered while the import fills the box: after this many pieces went in.
int piecesBeforeLaterDrop = 0;
DroppedPaths laterDrop;

// Armed by a test: the next change of the clipboard (the word processor's
// copy) closes the window, handled at the import's next processing of messages
// as a click on the close box would be.
bool closeOnClipboardChange = false;

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLIPBOARDUPDATE && closeOnClipboardChange) {
    closeOnClipboardChange = false;
    DestroyWindow(window);
    return 0;
  }
  if (message == WM_TIMER && wParam == kPasteTimer) {
    ++pasteTicks;
    DelayedPaste();
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

// Notes every text written into the box, and delivers the later drop on its
// cue, as a drop arriving while the import processes messages would come.
LRESULT CALLBACK BoxProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SETTEXT && lParam) events.push_back("text " + WideToGbk(reinterpret_cast<const wchar_t*>(lParam)));
  const LRESULT result = CallWindowProcW(boxProcedure, window, message, wParam, lParam);
  if (message == EM_REPLACESEL && lParam && *reinterpret_cast<const wchar_t*>(lParam) && piecesBeforeLaterDrop > 0 &&
      --piecesBeforeLaterDrop == 0) {
    OnFilesDropped(laterDrop);
  }
  return result;
}

std::wstring TempFolder() {
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  const std::wstring folder = std::wstring(temp) + L"导入测试";
  CreateDirectoryW(folder.c_str(), nullptr);
  return folder;
}

std::wstring LogPath() { return TempFolder() + L"\\word-calls.log"; }

// Empties the stand-in's log. Truncated rather than deleted: a deletion fails
// while the stand-in has the file open to append a line.
void ClearCalls() {
  FileHandle log(CreateFileW(LogPath().c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
}

void SetStandinMode(const wchar_t* mode) { SetEnvironmentVariableW(kWordStandinModeVariable, mode); }

struct ImportWindow {
  HWND host = nullptr;
  HWND box = nullptr;
  HWND status = nullptr;
  DocumentImportControls controls;

  ImportWindow() {
    OleInitialize(nullptr);
    static const HMODULE richEdit = LoadLibraryW(L"msftedit.dll");
    (void)richEdit;
    host = MakeTestWindow(L"ImportTestHost", 0, WS_OVERLAPPEDWINDOW, 0, 0, 620, 400, nullptr, HostProc);
    box = CreateWindowExW(0, MSFTEDIT_CLASS, L"", WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_WANTRETURN, 0, 30, 600,
                          300, host, nullptr, nullptr, nullptr);
    status = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 600, 20, host, nullptr, nullptr, nullptr);
    SendMessageW(box, EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
    boxProcedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(box, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&BoxProc)));
    GlobalInit();
    events.clear();
    pasteTicks = 0;
    piecesBeforeLaterDrop = 0;
    const HWND timerWindow = host;
    controls = {box, [](int page) { events.push_back("page " + std::to_string(page)); },
                [] { events.push_back("tab clicked"); },
                [timerWindow](int intervalMs) {
                  events.push_back("timer " + std::to_string(intervalMs));
                  if (intervalMs > 0) {
                    SetTimer(timerWindow, kPasteTimer, static_cast<UINT>(intervalMs), nullptr);
                  } else {
                    KillTimer(timerWindow, kPasteTimer);
                  }
                },
                1, status, kIdleStatus};
    SetDocumentImportControls(controls);
    ClearCalls();
    SetEnvironmentVariableW(kWordStandinLogVariable, LogPath().c_str());
    SetStandinMode(nullptr);
  }
  ~ImportWindow() {
    SetEnvironmentVariableW(kWordStandinLogVariable, nullptr);
    SetStandinMode(nullptr);
    DestroyWindow(host);
    ExitCleanup();
    OleUninitialize();
  }
  ImportWindow(const ImportWindow&) = delete;
  ImportWindow& operator=(const ImportWindow&) = delete;

  std::string Text() const { return RichEditBox(box).Content(); }
  std::string Status() const { return GetWindowTextGbk(status); }
};

bool WriteFileBytes(const std::wstring& path, const std::string& bytes) {
  FileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  return file && WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
         written == bytes.size();
}

// A file in the test folder with these bytes; its full path.
std::wstring MakeFile(const std::wstring& name, const std::string& bytes) {
  const std::wstring path = TempFolder() + L"\\" + name;
  CHECK(WriteFileBytes(path, bytes));
  return path;
}

std::string ReadFileBytes(const std::wstring& path) {
  FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return {};
  std::string bytes(GetFileSize(file.Get(), nullptr), '\0');
  DWORD read = 0;
  ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
  bytes.resize(read);
  return bytes;
}

std::string Utf8(const std::wstring& text) {
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                        nullptr);
  std::string out(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), bytes, nullptr, nullptr);
  return out;
}

// The stand-in's log: one call per line.
std::vector<std::string> Calls() {
  std::vector<std::string> lines;
  const std::string log = ReadFileBytes(LogPath());
  size_t start = 0;
  for (size_t end = log.find('\n'); end != std::string::npos; end = log.find('\n', start)) {
    lines.push_back(log.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

// The path as the stand-in writes it in its log: quoted, backslashes escaped, UTF-8.
std::string Logged(const std::wstring& path) {
  std::wstring escaped;
  for (wchar_t c : path) {
    if (c == L'\\') escaped += L"\\\\";
    else escaped += c;
  }
  return "\"" + Utf8(escaped) + "\"";
}

// The password given for the document and its template, as logged: one no
// password box takes.
const std::string kPasswords = "\"\\x01\\x02\\x03\" \"\\x01\\x02\\x03\"";

// The calls of one import of `path` whose open succeeds; the stand-in logs
// the calls on objects in the order they come, and the releases as they go.
std::vector<std::string> CallsOfOneImport(const std::wstring& path) {
  return {
      "create Application",
      "Application.AutomationSecurity put 3",
      "Application.Visible put false",
      "Application.DisplayAlerts put false",
      "Application.Documents get",
      "Documents.Open method " + Logged(path) + " false true false " + kPasswords,
      "Document.Content get",
      "Range.Copy get",
      "Document.Close method",
      "Application.DisplayAlerts put false",
      "Application.Quit method",
      "release Application",
      "release Documents",
      "release Document",
      "release Range",
  };
}

// --- the user's clipboard: text and a format of the user's own with zeros inside

const std::wstring kUserText = L"用户剪贴板里的私人内容";
const std::string kUserBytes = std::string("\x00\x01\xFF\x00 user", 9);

UINT UserFormat() { return RegisterClipboardFormatW(L"Tavrel Import Test Bytes"); }

bool PutUserClipboard(HWND owner) {
  ClipboardOpening clipboard(owner);
  return clipboard.IsOpen() && EmptyClipboard() &&
         PutClipboardBytes(CF_UNICODETEXT, kUserText.c_str(), (kUserText.size() + 1) * sizeof(wchar_t)) &&
         PutClipboardBytes(UserFormat(), kUserBytes.data(), kUserBytes.size());
}

std::optional<std::string> MemoryOf(UINT format) {
  const HANDLE data = GetClipboardData(format);
  if (!data) return std::nullopt;
  GlobalLockGuard lock(static_cast<HGLOBAL>(data));
  if (!lock) return std::nullopt;
  return std::string(static_cast<const char*>(lock.Data()), GlobalSize(static_cast<HGLOBAL>(data)));
}

// "text | bytes" as the clipboard holds them now.
std::string UserClipboardNow() {
  ClipboardOpening clipboard(nullptr);
  if (!clipboard.IsOpen()) return "(clipboard busy)";
  const std::optional<std::string> text = MemoryOf(CF_UNICODETEXT);
  const std::optional<std::string> bytes = MemoryOf(UserFormat());
  std::wstring wide;
  if (text) wide.assign(reinterpret_cast<const wchar_t*>(text->data()), text->size() / sizeof(wchar_t));
  return WideToGbk(wide.c_str()) + " | " + (bytes ? (*bytes == kUserBytes ? "user bytes" : "other bytes") : "no bytes");
}

const std::string kUserClipboard = WideToGbk(kUserText) + " | user bytes";

// Processes messages for a while, as the program's message loop would.
void RunMessagesFor(DWORD ms) {
  const ULONGLONG end = GetTickCount64() + ms;
  while (GetTickCount64() < end) {
    PumpPendingMessages();
    Sleep(5);
  }
}

long Length(HWND box) {
  GETTEXTLENGTHEX request{GTL_NUMCHARS | GTL_PRECISE, 1200};
  return static_cast<long>(SendMessageW(box, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&request), 0));
}

// Whether every character is in 宋体 9 black with no effects, in one request.
bool AllStandard(HWND box) {
  RichEditBox edit(box);
  const CHARRANGE before = edit.Selection();
  edit.Select(0, Length(box));
  TextFormat standard = DefaultTextFormat();
  standard.colour = 0;
  const bool all = edit.SelectionHasFormat(standard);
  edit.Select(before.cpMin, before.cpMax - before.cpMin);
  return all;
}

std::pair<long, long> Selection(HWND box) {
  const CHARRANGE range = RichEditBox(box).Selection();
  return {range.cpMin, range.cpMax};
}

DroppedPaths Drop(const std::vector<std::wstring>& paths) { return DroppedPaths{paths}; }

const std::string kAnswers = "第一题：答案 A\r\n第二题：答案 B（全角括号）\r\n";
const std::string kBank = "我的答案库：第一题 A";

// --- the automation calls ---------------------------------------------------------

TEST(WordGivesTheDocumentsTextAfterTheCallsInTheirOrder) {
  ImportWindow w;
  const std::wstring path = MakeFile(L"答案.txt", kAnswers);
  REQUIRE(PutUserClipboard(w.host));
  ClipboardLoan loan = ClipboardLoan::Borrow(1000);
  REQUIRE_EQ(static_cast<int>(loan.Why()), static_cast<int>(ClipboardLoan::Refusal::kNone));
  const WordCopyResult word = ImportWordDocument(path, loan);
  CHECK(word.started && word.opened && word.copied);
  CHECK_EQ(WideToGbk(word.text), kAnswers);
  CHECK_EQ(Calls(), CallsOfOneImport(path));
}

TEST(AFailedOpenTakesNothingFromTheClipboard) {
  ImportWindow w;
  REQUIRE(PutUserClipboard(w.host));
  const std::wstring path = TempFolder() + L"\\没有这个文件.doc";
  ClipboardLoan loan = ClipboardLoan::Borrow(1000);
  const WordCopyResult word = ImportWordDocument(path, loan);
  CHECK(word.started && !word.opened && !word.copied);
  CHECK_EQ(WideToGbk(word.text), std::string());
  CHECK_EQ(Calls(), (std::vector<std::string>{
                        "create Application",
                        "Application.AutomationSecurity put 3",
                        "Application.Visible put false",
                        "Application.DisplayAlerts put false",
                        "Application.Documents get",
                        "Documents.Open method " + Logged(path) + " false true false " + kPasswords + " failed",
                        "Documents.Open get " + Logged(path) + " false true false " + kPasswords + " refused",
                        "Application.DisplayAlerts put false",
                        "Application.Quit method",
                        "release Application",
                        "release Documents",
                    }));
  CHECK_EQ(UserClipboardNow(), kUserClipboard);
}

TEST(ACopyThatChangedNothingGivesNoText) {
  ImportWindow w;
  REQUIRE(PutUserClipboard(w.host));
  SetStandinMode(L"copy-nothing");
  ClipboardLoan loan = ClipboardLoan::Borrow(1000);
  const WordCopyResult word = ImportWordDocument(MakeFile(L"题库.txt", kAnswers), loan);
  CHECK(word.started && word.opened && !word.copied);
  CHECK_EQ(WideToGbk(word.text), std::string());
  SetStandinMode(L"absent");
  const WordCopyResult none = ImportWordDocument(MakeFile(L"题库.txt", kAnswers), loan);
  CHECK(!none.started && !none.opened && !none.copied);
  CHECK_EQ(Calls().back(), std::string("create refused"));
  CHECK_EQ(UserClipboardNow(), kUserClipboard);
}

// --- the file-drop handler -------------------------------------------------------------

TEST(DropShowsTheLocalSearchPageThenTheTextInTheStandardFormat) {
  ImportWindow w;
  const std::wstring path = MakeFile(L"题库.txt", kAnswers);
  RichEditBox(w.box).SetContent("之前的答案库");
  SetWindowTextGbk(w.status, "载入失败：找不到文件 旧.doc");
  REQUIRE(PutUserClipboard(w.host));
  events.clear();
  OnFilesDropped(Drop({path}));
  CHECK_EQ(events, (std::vector<std::string>{"page 1", "tab clicked", "text 正在载入拖入的文档，请稍后……",
                                             "text " + kAnswers}));
  CHECK_EQ(w.Text(), kAnswers);
  CHECK_EQ(Selection(w.box), (std::pair<long, long>{0, 0}));
  CHECK(AllStandard(w.box));
  CHECK_EQ(Globals().standardFormat.colour, uint32_t{0});
  CHECK_EQ(w.Status(), std::string(kIdleStatus));
  CHECK_EQ(UserClipboardNow(), kUserClipboard);
}

TEST(EveryDropTellsThatTheBankIsReplacedBeforeItsWaitingText) {
  ImportWindow w;
  w.controls.bankReplaced = [] { events.push_back("bank replaced"); };
  SetDocumentImportControls(w.controls);
  const std::wstring first = MakeFile(L"第一.txt", "第一个文件");
  const std::wstring second = MakeFile(L"第二.txt", std::string(40000, 'x'));
  OnFilesDropped(Drop({first}));
  CHECK_EQ(events, (std::vector<std::string>{"page 1", "tab clicked", "bank replaced",
                                             "text 正在载入拖入的文档，请稍后……", "text 第一个文件"}));
  // A drop arriving while another fills the box is a replacement of its own.
  events.clear();
  laterDrop = Drop({first});
  piecesBeforeLaterDrop = 1;
  OnFilesDropped(Drop({second}));
  CHECK_EQ(std::count(events.begin(), events.end(), std::string("bank replaced")), 2);
  CHECK_EQ(w.Text(), std::string("第一个文件"));
}

TEST(DropOpensANameGbkCannotSpell) {
  ImportWindow w;
  const std::wstring path = MakeFile(L"한국어 자료.txt", "韩文名字的文件");
  OnFilesDropped(Drop({path}));
  CHECK_EQ(w.Text(), std::string("韩文名字的文件"));
  DeleteFileW(path.c_str());
}

TEST(SeveralFilesLoadInTheirOrderWithAnEmptyLineBetween) {
  ImportWindow w;
  SetStandinMode(L"absent");
  const std::wstring first = MakeFile(L"甲.txt", "甲的内容\r\n");
  const std::wstring second = MakeFile(L"乙.txt", "\xEF\xBB\xBF" + Utf8(L"乙的内容"));
  const std::wstring missing = TempFolder() + L"\\丙.doc";
  const std::wstring third = MakeFile(L"丁.txt", "丁的内容");
  OnFilesDropped(Drop({first, second, missing, third}));
  CHECK_EQ(w.Text(), std::string("甲的内容\r\n\r\n乙的内容\r\n\r\n丁的内容"));
  CHECK(AllStandard(w.box));
  CHECK_EQ(w.Status(), std::string("载入失败：找不到文件 丙.doc"));
  // Through Word too: one import after the other.
  SetStandinMode(nullptr);
  DeleteFileW(LogPath().c_str());
  OnFilesDropped(Drop({first, third}));
  CHECK_EQ(w.Text(), std::string("甲的内容\r\n\r\n丁的内容"));
  std::vector<std::string> expected = CallsOfOneImport(first);
  for (const std::string& call : CallsOfOneImport(third)) expected.push_back(call);
  CHECK_EQ(Calls(), expected);
  CHECK_EQ(w.Status(), std::string(kIdleStatus));
}

TEST(WithoutWordTextFilesAndWordDocumentsStillLoad) {
  ImportWindow w;
  SetStandinMode(L"absent");
  REQUIRE(PutUserClipboard(w.host));
  const std::wstring text = GbkToWide(kAnswers);
  const std::string utf16(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
  const std::vector<std::pair<std::wstring, std::string>> files = {
      {L"gbk.txt", kAnswers},
      {L"utf8.txt", Utf8(text)},
      {L"utf8-bom.txt", "\xEF\xBB\xBF" + Utf8(text)},
      {L"utf16.txt", "\xFF\xFE" + utf16},
  };
  for (const auto& [name, bytes] : files) {
    RichEditBox(w.box).SetContent(kBank);
    OnFilesDropped(Drop({MakeFile(name, bytes)}));
    CHECK_EQ(w.Text(), kAnswers);
    CHECK_EQ(w.Status(), std::string(kIdleStatus));
  }
  // The document's XML is UTF-8: the GBK literals are spelled through UTF-16.
  const std::string body = "<w:p><w:r><w:t>" + Utf8(GbkToWide("第一题：答案 A")) + "</w:t></w:r></w:p><w:p><w:r><w:t>" +
                           Utf8(GbkToWide("第二题：答案 B（全角括号）")) + "</w:t></w:r></w:p>";
  OnFilesDropped(Drop({MakeFile(L"题库.docx", ziptest::Docx(ziptest::WordDocumentXml(body)))}));
  CHECK_EQ(w.Text(), kAnswers);
  CHECK_EQ(UserClipboardNow(), kUserClipboard);
}

TEST(AFailedDropKeepsTheBankAndTheClipboardAndNamesTheFile) {
  ImportWindow w;
  struct Case {
    const wchar_t* mode;
    std::wstring name;
    std::string bytes;
    std::string status;
  };
  const std::vector<Case> cases = {
      {L"absent", L"题库.doc", std::string("\xD0\xCF\x11\xE0\x00\x01\x02", 7), "载入失败：没有找到 Word，无法读取 题库.doc"},
      {L"absent", L"空的.txt", "", "载入失败：空的.txt 里没有文字"},
      {L"absent", L"坏的.docx", "PK\x03\x04 broken", "载入失败：坏的.docx 已损坏，无法解压"},
      {L"copy-nothing", L"题库.txt", kAnswers, "载入失败：Word 没有复制出 题库.txt 的内容"},
      {L"absent", L"大.txt", std::string(kMaxDocumentTextUnits + 1, 'a'), "载入失败：大.txt 太大，答案库最多载入 100 万字"},
  };
  for (const Case& c : cases) {
    SetStandinMode(c.mode);
    REQUIRE(PutUserClipboard(w.host));
    RichEditBox(w.box).SetContent(kBank);
    events.clear();
    OnFilesDropped(Drop({MakeFile(c.name, c.bytes)}));
    CHECK_EQ(w.Text(), kBank);
    CHECK(AllStandard(w.box));
    CHECK_EQ(w.Status(), c.status);
    CHECK_EQ(UserClipboardNow(), kUserClipboard);
    CHECK_EQ(events.back(), "text " + kBank);  // no delayed paste armed
  }
  // A file only Word reads while a capture still borrows the clipboard: after
  // waiting for it, the import says what held the clipboard.
  {
    ClipboardLoan capture = ClipboardLoan::Borrow(1000);
    REQUIRE(capture.Usable());
    RichEditBox(w.box).SetContent(kBank);
    OnFilesDropped(Drop({MakeFile(L"题库.doc", std::string("\xD0\xCF\x11\xE0\x00\x01\x02", 7))}));
    CHECK_EQ(w.Status(), std::string("载入失败：剪贴板正被另一项操作使用，无法用 Word 读取 题库.doc"));
    CHECK_EQ(w.Text(), kBank);
  }
  RunMessagesFor(300);
  CHECK_EQ(pasteTicks, 0);
}

// --- one import at a time ----------------------------------------------------------------

// Lines of one kind, long enough that the box takes the text in many pieces.
std::string LongText(const char* line, size_t lines) {
  std::string text;
  for (size_t i = 0; i < lines; ++i) text += line + std::to_string(i) + "\r\n";
  return text;
}

TEST(ADropThatRunsOutOfMemoryEndsAloneAndLaterDropsStillLoad) {
  ImportWindow w;
  SetStandinMode(L"absent");
  REQUIRE(PutUserClipboard(w.host));
  const std::string text = LongText("第三份文档：戊己庚辛 ", 700);
  const std::wstring path = MakeFile(L"第三份.txt", text);
  int ended = 0;
  for (int k = 0;; ++k) {
    REQUIRE(k < 60);
    RichEditBox(w.box).SetContent(kBank);
    SetWindowTextGbk(w.status, "");
    failingnew::FailOne(16384, k);
    OnFilesDropped(Drop({path}));
    if (!failingnew::Disarm()) break;
    // Wherever it ran out, the drop ended: the bank from before it, or all of
    // the new text when only its formatting was left, and never a mix.
    const std::string now = w.Text();
    CHECK(now == kBank || now == text);
    if (now == kBank) CHECK(w.Status() == kImportNoMemoryText || w.Status().rfind("载入失败：", 0) == 0);
    ++ended;
  }
  CHECK(ended > 0);
  // The queue is free again: the same drop now loads.
  CHECK(w.Text() == text);
  CHECK_EQ(w.Status(), std::string(kIdleStatus));
  CHECK_EQ(UserClipboardNow(), kUserClipboard);
}

TEST(ADropDuringAnImportStopsItAndTheBoxHoldsOnlyTheNewerText) {
  ImportWindow w;
  REQUIRE(PutUserClipboard(w.host));
  const std::string first = LongText("第一份文档：甲乙丙丁 ", 3000);
  const std::string second = LongText("第二份文档：子丑寅卯 ", 2500);
  const std::wstring firstPath = MakeFile(L"第一份.txt", first);
  RichEditBox(w.box).SetContent(kBank);
  laterDrop = Drop({MakeFile(L"第二份.txt", second)});
  piecesBeforeLaterDrop = 3;
  OnFilesDropped(Drop({firstPath}));
  REQUIRE(piecesBeforeLaterDrop == 0);  // the later drop did come in the middle
  CHECK(w.Text() == second);
  CHECK_EQ(Length(w.box), static_cast<long>(GbkToWide(second).size() - 2500));  // CR LF is one position
  CHECK(AllStandard(w.box));
  CHECK_EQ(Selection(w.box), (std::pair<long, long>{0, 0}));
  CHECK_EQ(UserClipboardNow(), kUserClipboard);

  // A newer drop that fails puts back the bank from before the first one.
  RichEditBox(w.box).SetContent(kBank);
  laterDrop = Drop({TempFolder() + L"\\没有这个文件.txt"});
  piecesBeforeLaterDrop = 3;
  OnFilesDropped(Drop({firstPath}));
  REQUIRE(piecesBeforeLaterDrop == 0);
  CHECK(w.Text() == kBank);
  CHECK_EQ(w.Status(), std::string("载入失败：找不到文件 没有这个文件.txt"));
  CHECK_EQ(UserClipboardNow(), kUserClipboard);
}

// --- the delayed paste ------------------------------------------------------------------

TEST(ACopyWithoutTextIsPastedOnceThenTheClipboardGoesBack) {
  ImportWindow w;
  SetStandinMode(L"copy-no-text");
  REQUIRE(PutUserClipboard(w.host));
  RichEditBox(w.box).SetContent(kBank);
  OnFilesDropped(Drop({MakeFile(L"图文.txt", "图文混排的文档")}));
  CHECK_EQ(w.Text(), std::string());
  CHECK_EQ(events.back(), std::string("timer 100"));
  CHECK(UserClipboardNow() != kUserClipboard);  // Word's copy stays for the paste
  RunMessagesFor(400);
  CHECK_EQ(pasteTicks, 1);
  CHECK_EQ(w.Text(), std::string("图文混排的文档"));
  CHECK_EQ(UserClipboardNow(), kUserClipboard);
  CHECK_EQ(w.Status(), std::string(kIdleStatus));
  // Once only: emptied again, the box stays empty.
  RichEditBox(w.box).SetContent("");
  RunMessagesFor(300);
  CHECK_EQ(pasteTicks, 1);
  CHECK_EQ(w.Text(), std::string());

  // When the paste gives nothing either, the bank comes back.
  SetStandinMode(L"copy-unpasteable");
  RichEditBox(w.box).SetContent(kBank);
  OnFilesDropped(Drop({MakeFile(L"图文.txt", "图文混排的文档")}));
  RunMessagesFor(400);
  CHECK_EQ(pasteTicks, 2);
  CHECK_EQ(w.Text(), kBank);
  CHECK_EQ(w.Status(), std::string("载入失败：Word 复制的 图文.txt 里没有文字"));
  CHECK_EQ(UserClipboardNow(), kUserClipboard);

  // A copy the user made while the paste waited is theirs: neither pasted
  // nor replaced by the clipboard from before.
  SetStandinMode(L"copy-no-text");
  OnFilesDropped(Drop({MakeFile(L"图文.txt", "图文混排的文档")}));
  REQUIRE(WriteClipboardTextGbk(w.host, "用户刚复制的"));
  RunMessagesFor(400);
  CHECK_EQ(pasteTicks, 3);
  CHECK_EQ(w.Text(), kBank);
  CHECK_EQ(w.Status(), std::string("载入失败：Word 复制的 图文.txt 里没有文字"));
  CHECK_EQ(ReadClipboardTextGbk(w.host), std::string("用户刚复制的"));
}

TEST(TheDelayedPasteLeavesABoxTheUserFilledAlone) {
  ImportWindow w;
  SetStandinMode(L"copy-no-text");
  REQUIRE(PutUserClipboard(w.host));
  OnFilesDropped(Drop({MakeFile(L"图文.txt", "图文混排的文档")}));
  RichEditBox(w.box).SetContent("用户自己粘贴的");
  RunMessagesFor(400);
  CHECK_EQ(pasteTicks, 1);
  CHECK_EQ(w.Text(), std::string("用户自己粘贴的"));
  CHECK_EQ(UserClipboardNow(), kUserClipboard);
}

// --- a word processor that is busy, stuck or asks for a password ---------------

// Lets a call the stand-in plays as stuck return, when the test is done with it.
void ReleaseStuckCalls() {
  const KernelHandle release(CreateEventW(nullptr, TRUE, FALSE, kWordStandinReleaseEvent));
  SetEvent(release.Get());
}

size_t CallsEndingWith(const std::string& ending) {
  size_t count = 0;
  for (const std::string& call : Calls()) {
    count += call.size() >= ending.size() && call.compare(call.size() - ending.size(), ending.size(), ending) == 0;
  }
  return count;
}

TEST(ABusyStuckOrProtectedWordNeverHoldsTheImport) {
  ImportWindow w;
  REQUIRE(PutUserClipboard(w.host));
  RichEditBox(w.box).SetContent(kBank);

  // Protected: the open fails at once, and the program's own reader says
  // what it can (a .doc it cannot read).
  // What follows the stand-in's marker is not text: the program cannot read it itself.
  const std::wstring locked = MakeFile(L"保密.doc", std::string(kWordStandinPasswordMarker) + "secret\r\n" +
                                                        std::string("\xD0\xCF\x11\xE0\x00\x01\x02", 7));
  ULONGLONG start = GetTickCount64();
  OnFilesDropped(Drop({locked}));
  std::printf("    a protected document gave up after %llu ms\n", GetTickCount64() - start);
  CHECK(GetTickCount64() - start < 20000);
  CHECK_EQ(w.Text(), kBank);
  CHECK_EQ(w.Status(), std::string("载入失败：Word 无法打开 保密.doc"));
  CHECK_EQ(CallsEndingWith(kPasswords + " failed"), size_t{1});
  CHECK_EQ(UserClipboardNow(), kUserClipboard);

  // Busy at first: its rejected calls are tried again until it answers.
  SetStandinMode(L"busy");
  ClearCalls();
  const std::wstring answers = MakeFile(L"题库.txt", kAnswers);
  {
    ClipboardLoan loan = ClipboardLoan::Borrow(1000);
    const WordCopyResult word = ImportWordDocument(answers, loan);
    CHECK(word.opened && word.copied && !word.timedOut);
    CHECK_EQ(WideToGbk(word.text), kAnswers);
    CHECK(CallsEndingWith(" rejected") > 0);
    CHECK_EQ(CallsEndingWith("Application.Quit method"), size_t{1});
  }
  CHECK_EQ(UserClipboardNow(), kUserClipboard);

  // Refusing to quit: tried until the quit's bound, then left.
  SetStandinMode(L"quit-refused");
  ClearCalls();
  {
    WordStepOptions bounds;
    bounds.quitMs = 800;
    ClipboardLoan loan = ClipboardLoan::Borrow(1000);
    start = GetTickCount64();
    const WordCopyResult word = ImportWordDocument(answers, loan, bounds);
    CHECK(GetTickCount64() - start >= 800);
    CHECK(word.opened && !word.timedOut);
    CHECK_EQ(WideToGbk(word.text), kAnswers);
    CHECK(CallsEndingWith("Application.Quit method failed") > 1);
  }
  CHECK_EQ(UserClipboardNow(), kUserClipboard);

  // An open that never returns: the step is given up at its bounds, this
  // thread processing messages all the while, and the clipboard is the user's.
  SetStandinMode(L"hang-open");
  {
    WordStepOptions bounds;
    bounds.workMs = 1000;
    bounds.quitMs = 500;
    int waits = 0;
    bounds.goOn = [&waits] {
      ++waits;
      return true;
    };
    ClipboardLoan loan = ClipboardLoan::Borrow(1000);
    start = GetTickCount64();
    const WordCopyResult word = ImportWordDocument(answers, loan, bounds);
    const ULONGLONG took = GetTickCount64() - start;
    std::printf("    an open that never returns was given up after %llu ms, %d waits for messages\n", took, waits);
    CHECK(word.started && !word.opened && word.timedOut);
    CHECK(took >= 1500 && took < 30000);
    CHECK(waits > 10);
    // A step whose caller gives up ends at once.
    bounds.goOn = [] { return false; };
    const WordCopyResult stopped = ImportWordDocument(answers, loan, bounds);
    CHECK(!stopped.opened);
  }
  ReleaseStuckCalls();
  CHECK_EQ(UserClipboardNow(), kUserClipboard);
  RunMessagesFor(200);
}

// The stand-in running as a program of its own, as the real word processor
// does: a call waiting for it is given up at its bound through the message
// filter, and a server that does not quit is ended.
std::vector<DWORD> ServerProcesses() {
  std::vector<DWORD> found;
  FileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return found;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more; more = Process32NextW(snapshot.Get(), &entry)) {
    if (_wcsicmp(entry.szExeFile, kWordStandinServerExe) == 0) found.push_back(entry.th32ProcessID);
  }
  return found;
}

bool NoServerWithin(DWORD ms) {
  const ULONGLONG end = GetTickCount64() + ms;
  while (!ServerProcesses().empty()) {
    if (GetTickCount64() > end) return false;
    Sleep(50);
  }
  return true;
}

TEST(AWordProcessorOfItsOwnIsGivenUpAtItsBoundsAndEndedWhenItWillNotQuit) {
  ImportWindow w;
  REQUIRE(PutUserClipboard(w.host));
  // One an earlier run left behind would be taken for the new one.
  for (DWORD id : ServerProcesses()) {
    const KernelHandle left(OpenProcess(PROCESS_TERMINATE, FALSE, id));
    if (left) TerminateProcess(left.Get(), 1);
  }
  REQUIRE(NoServerWithin(5000));
  const std::wstring answers = MakeFile(L"题库.txt", kAnswers);
  WordStepOptions local;
  local.progId = kWordStandinServerProgId;

  // Working: the text, and the program ends on its own when told to quit.
  {
    ClipboardLoan loan = ClipboardLoan::Borrow(1000);
    const WordCopyResult word = ImportWordDocument(answers, loan, local);
    CHECK(word.started && word.opened && word.copied && !word.timedOut);
    CHECK_EQ(WideToGbk(word.text), kAnswers);
  }
  CHECK(NoServerWithin(10000));
  CHECK_EQ(CallsEndingWith("server ended"), size_t{1});
  CHECK_EQ(UserClipboardNow(), kUserClipboard);

  // An open that never returns: given up at the work's bound; the quit cannot
  // be served either, so the program is ended.
  // (Long enough for the program to start: under Wine that may take a second.)
  SetStandinMode(L"hang-open");
  local.workMs = 4000;
  local.quitMs = 1000;
  {
    ClipboardLoan loan = ClipboardLoan::Borrow(1000);
    const ULONGLONG start = GetTickCount64();
    const WordCopyResult word = ImportWordDocument(answers, loan, local);
    const ULONGLONG took = GetTickCount64() - start;
    std::printf("    a stuck word processor of its own was given up and ended after %llu ms\n", took);
    CHECK(word.started && !word.opened && !word.timedOut);
    CHECK(took >= 4000 && took < 30000);
  }
  CHECK(NoServerWithin(2000));
  CHECK_EQ(CallsEndingWith("server ended"), size_t{1});
  CHECK_EQ(UserClipboardNow(), kUserClipboard);

  // Refusing to quit: the text still comes, and the program is ended.
  SetStandinMode(L"quit-refused");
  {
    ClipboardLoan loan = ClipboardLoan::Borrow(1000);
    const WordCopyResult word = ImportWordDocument(answers, loan, local);
    CHECK(word.opened && !word.timedOut);
    CHECK_EQ(WideToGbk(word.text), kAnswers);
  }
  CHECK(NoServerWithin(2000));
  CHECK_EQ(CallsEndingWith("server ended"), size_t{1});
  CHECK_EQ(UserClipboardNow(), kUserClipboard);
  ReleaseStuckCalls();
}

// --- closing the window mid-import ------------------------------------------------

TEST(ClosingTheWindowMidImportLeavesTheUsersClipboard) {
  // After the first of two files was copied (the second made slow by a busy
  // word processor, so that the close comes first).
  {
    ImportWindow w;
    SetStandinMode(L"busy");
    REQUIRE(PutUserClipboard(w.host));
    REQUIRE(AddClipboardFormatListener(w.host));
    closeOnClipboardChange = true;
    OnFilesDropped(Drop({MakeFile(L"甲.txt", "甲的内容"), MakeFile(L"乙.txt", "乙的内容")}));
    CHECK(!closeOnClipboardChange);
    CHECK(!IsWindow(w.host));
    CHECK_EQ(CallsEndingWith("Range.Copy get"), size_t{1});
    CHECK_EQ(UserClipboardNow(), kUserClipboard);
  }
  // While Word's copy waits for the delayed paste.
  {
    ImportWindow w;
    SetStandinMode(L"copy-no-text");
    REQUIRE(PutUserClipboard(w.host));
    OnFilesDropped(Drop({MakeFile(L"图文.txt", "图文混排的文档")}));
    CHECK(UserClipboardNow() != kUserClipboard);  // Word's copy waits for the paste
    // What the main window's close does before the window goes.
    EndImportOnClose();
    DestroyWindow(w.host);
    CHECK_EQ(UserClipboardNow(), kUserClipboard);
    RunMessagesFor(300);
    CHECK_EQ(pasteTicks, 0);
    CHECK_EQ(UserClipboardNow(), kUserClipboard);
  }
}

}  // namespace

CHECK_MAIN()
