// The import of a dropped document against the stand-in word processor
// (registered as Word.Application by the word.register fixture): the automation
// calls in their order, the clipboard's text as GBK whatever the code page,
// the file-drop handler's steps, and the one-shot delayed paste.
#include <windows.h>
#include <ole2.h>
#include <richedit.h>

#include <optional>
#include <string>
#include <vector>

#include "../../stand-ins/word/WordStandin.h"
#include "answerbank/DocumentImport.h"
#include "answerbank/RichEditBox.h"
#include "app/Globals.h"
#include "check.h"
#include "clipboard_support.h"
#include "platform/Clipboard.h"
#include "platform/Handles.h"
#include "platform/MessagePump.h"
#include "platform/Text.h"
#include "test_window.h"

namespace {

constexpr UINT_PTR kPasteTimer = 7;

std::vector<std::string> events;  // page, tab and timer calls, and the box's texts, in order
int pasteTicks = 0;
WNDPROC boxProcedure = nullptr;

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_TIMER && wParam == kPasteTimer) {
    ++pasteTicks;
    DelayedPaste();
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

// Notes every text written into the box.
LRESULT CALLBACK BoxProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SETTEXT && lParam) events.push_back("text " + WideToGbk(reinterpret_cast<const wchar_t*>(lParam)));
  return CallWindowProcW(boxProcedure, window, message, wParam, lParam);
}

std::wstring TempFolder() {
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  const std::wstring folder = std::wstring(temp) + L"导入测试";
  CreateDirectoryW(folder.c_str(), nullptr);
  return folder;
}

std::wstring LogPath() { return TempFolder() + L"\\word-calls.log"; }

struct ImportWindow {
  HWND host = nullptr;
  HWND box = nullptr;

  ImportWindow() {
    OleInitialize(nullptr);
    static const HMODULE richEdit = LoadLibraryW(L"msftedit.dll");
    (void)richEdit;
    host = MakeTestWindow(L"ImportTestHost", 0, WS_OVERLAPPEDWINDOW, 0, 0, 620, 400, nullptr, HostProc);
    box = CreateWindowExW(0, MSFTEDIT_CLASS, L"", WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_WANTRETURN, 0, 0, 600,
                          300, host, nullptr, nullptr, nullptr);
    SendMessageW(box, EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
    boxProcedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(box, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&BoxProc)));
    GlobalInit();
    events.clear();
    pasteTicks = 0;
    const HWND timerWindow = host;
    SetDocumentImportControls({box, [](int page) { events.push_back("page " + std::to_string(page)); },
                               [] { events.push_back("tab clicked"); },
                               [timerWindow](int intervalMs) {
                                 events.push_back("timer " + std::to_string(intervalMs));
                                 if (intervalMs > 0) {
                                   SetTimer(timerWindow, kPasteTimer, static_cast<UINT>(intervalMs), nullptr);
                                 } else {
                                   KillTimer(timerWindow, kPasteTimer);
                                 }
                               }});
    DeleteFileW(LogPath().c_str());
    SetEnvironmentVariableW(kWordStandinLogVariable, LogPath().c_str());
  }
  ~ImportWindow() {
    SetEnvironmentVariableW(kWordStandinLogVariable, nullptr);
    DestroyWindow(host);
    ExitCleanup();
    OleUninitialize();
  }
  ImportWindow(const ImportWindow&) = delete;
  ImportWindow& operator=(const ImportWindow&) = delete;

  std::string Text() const { return RichEditBox(box).Content(); }
};

bool WriteFileBytes(const std::wstring& path, const std::string& bytes) {
  FileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  return file && WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
         written == bytes.size();
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

// The path as the stand-in writes it in its log: quoted, line breaks escaped, UTF-8.
std::string Logged(const std::wstring& path) {
  std::wstring escaped;
  for (wchar_t c : path) {
    if (c == L'\r') escaped += L"\\r";
    else if (c == L'\n') escaped += L"\\n";
    else if (c == L'\\') escaped += L"\\\\";
    else escaped += c;
  }
  return "\"" + Utf8(escaped) + "\"";
}

std::optional<std::wstring> ClipboardUnicode() {
  ClipboardOpening clipboard(nullptr);
  if (!clipboard.IsOpen()) return std::nullopt;
  const HANDLE data = GetClipboardData(CF_UNICODETEXT);
  if (!data) return std::nullopt;
  GlobalLockGuard lock(static_cast<HGLOBAL>(data));
  if (!lock) return std::nullopt;
  return std::wstring(static_cast<const wchar_t*>(lock.Data()));
}

bool EmptyTheClipboard(HWND owner) {
  ClipboardOpening clipboard(owner);
  return clipboard.IsOpen() && EmptyClipboard();
}

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

// One letter per character: 's' for 宋体 9 black with no effects, 'x' otherwise.
std::string StandardMap(HWND box) {
  std::string map;
  const long length = Length(box);
  for (long i = 0; i < length; ++i) {
    CHARRANGE one{i, i + 1};
    SendMessageW(box, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&one));
    CHARFORMAT2W cf{};
    cf.cbSize = sizeof cf;
    SendMessageW(box, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
    const bool standard = std::wstring(cf.szFaceName) == L"宋体" && cf.yHeight == 180 && cf.yOffset == 0 &&
                          !(cf.dwEffects & (CFE_BOLD | CFE_ITALIC | CFE_UNDERLINE | CFE_STRIKEOUT | CFE_PROTECTED |
                                            CFE_AUTOCOLOR)) &&
                          cf.crTextColor == 0;
    map += standard ? 's' : 'x';
  }
  return map;
}

std::pair<long, long> Selection(HWND box) {
  const CHARRANGE range = RichEditBox(box).Selection();
  return {range.cpMin, range.cpMax};
}

const std::string kAnswers = "第一题：答案 A\r\n第二题：答案 B（全角括号）\r\n";

// --- the automation calls ---------------------------------------------------------

TEST(ImportGivesTheDocumentsTextAfterTheCallsInTheirOrder) {
  ImportWindow w;
  const std::wstring path = TempFolder() + L"\\答案.txt";
  CHECK(WriteFileBytes(path, kAnswers));
  CHECK_EQ(ImportWordDocument(path), kAnswers);
  CHECK_EQ(Calls(), (std::vector<std::string>{
                        "create Application",
                        "Application.Visible put false",
                        "Application.Documents get",
                        "Documents.Open method " + Logged(path) + " false true",
                        "Document.Content get",
                        "Range.Copy get",
                        "Document.Close method",
                        "Application.DisplayAlerts put false",
                        "Application.Quit method",
                        "release Application",
                        "release Documents",
                        "release Document",
                        "release Range",
                    }));
  CHECK_EQ(ClipboardUnicode().value_or(L"(none)"), GbkToWide(kAnswers));
}

TEST(ImportReadsUtf8AndUtf16FilesAsTheSameText) {
  ImportWindow w;
  const std::wstring text = GbkToWide(kAnswers);
  const std::string utf16(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
  const std::vector<std::pair<std::wstring, std::string>> files = {
      {L"\\utf8-bom.txt", "\xEF\xBB\xBF" + Utf8(text)},
      {L"\\utf8.txt", Utf8(text)},
      {L"\\utf16.txt", "\xFF\xFE" + utf16},
  };
  for (const auto& [name, bytes] : files) {
    CHECK(WriteFileBytes(TempFolder() + name, bytes));
    CHECK_EQ(ImportWordDocument(TempFolder() + name), kAnswers);
  }
}

TEST(ImportByGbkPathOpensAChineseFileName) {
  ImportWindow w;
  const std::wstring path = TempFolder() + L"\\第二章 练习题.txt";
  CHECK(WriteFileBytes(path, "练习题的答案"));
  CHECK_EQ(ImportWordDocument(WideToGbk(path)), std::string("练习题的答案"));
}

TEST(AFailedOpenStillQuitsAndGivesTheClipboardsEarlierText) {
  ImportWindow w;
  CHECK(WriteClipboardTextGbk(w.host, "剪贴板里原来的字"));
  const std::wstring twoFiles = TempFolder() + L"\\a.txt\r\n" + TempFolder() + L"\\b.txt\r\n";
  CHECK_EQ(ImportWordDocument(twoFiles), std::string("剪贴板里原来的字"));
  CHECK_EQ(Calls(), (std::vector<std::string>{
                        "create Application",
                        "Application.Visible put false",
                        "Application.Documents get",
                        "Documents.Open method " + Logged(twoFiles) + " false true failed",
                        "Documents.Open get " + Logged(twoFiles) + " false true refused",
                        "Application.DisplayAlerts put false",
                        "Application.Quit method",
                        "release Application",
                        "release Documents",
                    }));
}

TEST(AFailedOpenWithAnEmptyClipboardGivesTheEmptyText) {
  ImportWindow w;
  CHECK(EmptyTheClipboard(w.host));
  CHECK_EQ(ImportWordDocument(TempFolder() + L"\\没有这个文件.doc"), std::string());
}

// --- the file-drop handler -------------------------------------------------------------

TEST(DropShowsTheLocalSearchPageThenTheTextInTheStandardFormat) {
  ImportWindow w;
  const std::wstring path = TempFolder() + L"\\题库.txt";
  CHECK(WriteFileBytes(path, kAnswers));
  RichEditBox(w.box).SetContent("之前的答案库");
  events.clear();
  OnFilesDropped(DroppedPaths{WideToGbk(path), path});
  CHECK_EQ(events, (std::vector<std::string>{"page 1", "tab clicked", "text 正在载入拖入的文档，请稍后……",
                                             "text " + kAnswers}));
  CHECK_EQ(w.Text(), kAnswers);
  CHECK_EQ(Selection(w.box), (std::pair<long, long>{0, 0}));
  CHECK_EQ(StandardMap(w.box), std::string(static_cast<size_t>(Length(w.box)), 's'));
  CHECK_EQ(Globals().standardFormat.colour, uint32_t{0});
}

TEST(DropUsesTheUtf16ListWhenGbkCannotSpellTheName) {
  ImportWindow w;
  const std::wstring path = TempFolder() + L"\\한국어 자료.txt";
  CHECK(WriteFileBytes(path, "韩文名字的文件"));
  OnFilesDropped(DroppedPaths{WideToGbk(path), path});
  CHECK_EQ(w.Text(), std::string("韩文名字的文件"));
  DeleteFileW(path.c_str());
}

TEST(DropOfTwoFilesGivesTheClipboardsEarlierText) {
  ImportWindow w;
  CHECK(WriteClipboardTextGbk(w.host, "早先复制的内容"));
  const std::string gbk = WideToGbk(TempFolder()) + "\\a.txt\r\n" + WideToGbk(TempFolder()) + "\\b.txt\r\n";
  OnFilesDropped(DroppedPaths{gbk, GbkToWide(gbk)});
  CHECK_EQ(w.Text(), std::string("早先复制的内容"));
  CHECK_EQ(StandardMap(w.box), std::string("sssssss"));
  RunMessagesFor(300);
  CHECK_EQ(pasteTicks, 0);
}

TEST(AnEmptyResultArmsOneDelayedPaste) {
  ImportWindow w;
  CHECK(EmptyTheClipboard(w.host));
  OnFilesDropped(DroppedPaths{"C:\\a.doc\r\nC:\\b.doc\r\n", L""});
  CHECK_EQ(w.Text(), std::string());
  CHECK_EQ(events.back(), std::string("timer 100"));
  // Something reaches the clipboard before the timer fires: the paste takes it.
  CHECK(WriteClipboardTextGbk(w.host, "晚到的内容"));
  RunMessagesFor(400);
  CHECK_EQ(pasteTicks, 1);
  CHECK_EQ(events.back(), std::string("timer 0"));
  CHECK_EQ(w.Text(), std::string("晚到的内容"));
  // Once only: emptied again, the box stays empty.
  RichEditBox(w.box).SetContent("");
  RunMessagesFor(300);
  CHECK_EQ(pasteTicks, 1);
  CHECK_EQ(w.Text(), std::string());
}

TEST(TheDelayedPasteLeavesABoxTheUserFilledAlone) {
  ImportWindow w;
  CHECK(EmptyTheClipboard(w.host));
  OnFilesDropped(DroppedPaths{"C:\\a.doc\r\nC:\\b.doc\r\n", L""});
  CHECK(WriteClipboardTextGbk(w.host, "剪贴板"));
  RichEditBox(w.box).SetContent("用户自己粘贴的");
  RunMessagesFor(400);
  CHECK_EQ(pasteTicks, 1);
  CHECK_EQ(w.Text(), std::string("用户自己粘贴的"));
}

}  // namespace

CHECK_MAIN()
