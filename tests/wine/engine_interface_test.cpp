// The engine interface against the real stand-in library: loading, the shapes
// of the calls (booleans, floats, a rectangle by value, a 64-bit script value),
// ToWide, and the message and exit code when the library or an entry point is
// missing, read from outside the failing program.
#include <cstring>
#include <string>
#include <vector>

#include "check.h"
#include "engine_support.h"
#include "enginehost/WideText.h"
#include "enginehost/WkeApi.h"
#include "platform/Handles.h"

namespace {

using engine_test::ScopedView;

std::vector<unsigned char> BytesOf(const WideText& text) {
  std::vector<unsigned char> bytes(text.size() * sizeof(wchar_t));
  std::memcpy(bytes.data(), text.data(), bytes.size());
  return bytes;
}

std::string HexBytes(const std::vector<unsigned char>& bytes) {
  std::string out;
  char buffer[4];
  for (unsigned char b : bytes) {
    std::snprintf(buffer, sizeof buffer, "%02X ", b);
    out += buffer;
  }
  return out;
}

TEST(ToWideOfAbcIsEightBytes) {
  CHECK_EQ(HexBytes(BytesOf(ToWide("abc"))), std::string("61 00 62 00 63 00 00 00 "));
}

TEST(ToWideOfEmptyAndMissingTextIsOneZeroUnit) {
  CHECK_EQ(HexBytes(BytesOf(ToWide(""))), std::string("00 00 "));
  CHECK_EQ(HexBytes(BytesOf(ToWide(nullptr))), std::string("00 00 "));
}

TEST(ToWideOfOneDoubleByteCharacterIsOneUnit) {
  const WideText wide = ToWide("\xD6\xD0");  // 中 in GBK
  CHECK_EQ(wide.size(), size_t{2});
  CHECK_EQ(static_cast<unsigned>(wide[0]), 0x4E2Du);
  CHECK_EQ(static_cast<unsigned>(wide[1]), 0u);
  const WideText mixed = ToWide("a标题b");
  CHECK_EQ(std::wstring(mixed.data()), std::wstring(L"a标题b"));
  CHECK_EQ(mixed.size() * 2, size_t{10});
}

TEST(LibraryIsLoadedFromTheProgramsFolder) {
  ScopedView view;
  CHECK(view.Get() != nullptr);
  wchar_t program[MAX_PATH] = {};
  wchar_t library[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, program, MAX_PATH);
  GetModuleFileNameW(GetModuleHandleW(L"wke.dll"), library, MAX_PATH);
  std::wstring expected(program);
  expected = expected.substr(0, expected.find_last_of(L"\\/") + 1) + L"wke.dll";
  CHECK_EQ(std::wstring(library), expected);
}

TEST(CallsPassTheirArgumentsAndResultsIntact) {
  ScopedView view(600, 360);
  engine_test::ClearLog();
  CHECK_EQ(wkeGetWidth(view.Get()), 600);
  CHECK_EQ(wkeGetHeight(view.Get()), 360);
  wkeSetZoomFactor(view.Get(), 1.25f);
  CHECK_EQ(wkeGetZoomFactor(view.Get()), 1.25f);
  wkeSetMediaVolume(view.Get(), 0.5f);
  CHECK_EQ(wkeMediaVolume(view.Get()), 0.5f);
  wkeSetCookieEnabled(view.Get(), false);
  CHECK(!wkeIsCookieEnabled(view.Get()));
  wkeSetCookieEnabled(view.Get(), true);
  CHECK(wkeIsCookieEnabled(view.Get()));
  // The rectangle comes back by value: the caret sits in the trace band, one pixel wide.
  const WkeRect caret = wkeGetCaretRect(view.Get());
  CHECK_EQ(caret.width, 1);
  CHECK(caret.height > 0);
  CHECK(caret.y > 300 && caret.y < 360);
  // A 64-bit script value: kind 3 (a string) in the high half, its length in the low half.
  const WkeScriptValue value = wkeRunJSW(view.Get(), L"document.body.style.overflow='hidden'");
  CHECK_EQ(static_cast<unsigned long long>(value), (3ull << 32) | 6u);
  CHECK_EQ(static_cast<unsigned long long>(wkeRunJS(view.Get(), "document.body.style.overflow")),
           (3ull << 32) | 6u);
  const std::wstring log = engine_test::CallLog();
  CHECK_LOG_HAS(log, L"wkeSetZoomFactor(#");
  CHECK_LOG_HAS(log, L", 1.25)");
  CHECK_LOG_HAS(log, L"wkeRunJSW(#");
  CHECK_LOG_HAS(log, L"\"document.body.style.overflow='hidden'\")");
  CHECK_LOG_HAS(log, L"wkeRunJS(#");
}

TEST(WideTextReachesTheEngineUnchanged) {
  ScopedView view;
  engine_test::ClearLog();
  wkeLoadURLW(view.Get(), ToWide("https://example.com/搜索?q=答案").data());
  const std::wstring log = engine_test::CallLog();
  CHECK_LOG_HAS(log, L"\"https://example.com/搜索?q=答案\")");
  const wchar_t* title = wkeGetTitleW(view.Get());
  CHECK(title != nullptr);
  if (title) CHECK_EQ(std::wstring(title), std::wstring(L"https://example.com/搜索?q=答案"));
}

// --- a program without the library, or with one that lacks an entry point ------------

std::wstring Folder(const std::wstring& path) { return path.substr(0, path.find_last_of(L"\\/") + 1); }

std::wstring ThisFolder() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  return Folder(path);
}

// A fresh folder under the temporary folder holding a copy of the probe.
std::wstring PrepareFolder(const wchar_t* name) {
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  const std::wstring folder = std::wstring(temp) + name + std::to_wstring(GetCurrentProcessId()) + L"\\";
  CreateDirectoryW(folder.c_str(), nullptr);
  DeleteFileW((folder + L"wke.dll").c_str());
  CopyFileW((ThisFolder() + L"engine_load_probe.exe").c_str(), (folder + L"engine_load_probe.exe").c_str(), FALSE);
  return folder;
}

void RemoveFolder(const std::wstring& folder) {
  DeleteFileW((folder + L"engine_load_probe.exe").c_str());
  DeleteFileW((folder + L"wke.dll").c_str());
  RemoveDirectoryW(folder.c_str());
}

struct Search {
  DWORD process;
  HWND found;
};

BOOL CALLBACK FindDialog(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<Search*>(data);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  wchar_t cls[64] = {};
  GetClassNameW(window, cls, 64);
  if (process == search->process && std::wstring(cls) == L"#32770" && IsWindowVisible(window)) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

BOOL CALLBACK CollectTexts(HWND child, LPARAM data) {
  auto* texts = reinterpret_cast<std::vector<std::wstring>*>(data);
  wchar_t cls[64] = {};
  GetClassNameW(child, cls, 64);
  if (lstrcmpiW(cls, L"Static") != 0) return TRUE;
  wchar_t text[1024] = {};
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(child, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 3000, &copied);
  if (text[0]) texts->push_back(text);
  return TRUE;
}

struct ProbeOutcome {
  bool dialogSeen = false;
  std::vector<std::wstring> texts;
  bool ended = false;
  DWORD exitCode = 0;
};

// Starts the probe in `folder` with `currentFolder` as its current directory,
// reads its message box, presses OK and collects the exit code.
ProbeOutcome RunProbe(const std::wstring& folder, const std::wstring& currentFolder) {
  ProbeOutcome outcome;
  std::wstring command = L"\"" + folder + L"engine_load_probe.exe\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, currentFolder.c_str(), &startup,
                      &info)) {
    check::Fail(__FILE__, __LINE__, "the probe did not start");
    return outcome;
  }
  KernelHandle process(info.hProcess);
  KernelHandle thread(info.hThread);
  Search search{info.dwProcessId, nullptr};
  for (int i = 0; i < 200 && !search.found; ++i) {
    if (WaitForSingleObject(process.Get(), 0) == WAIT_OBJECT_0) break;
    Sleep(50);
    EnumWindows(FindDialog, reinterpret_cast<LPARAM>(&search));
  }
  if (search.found) {
    outcome.dialogSeen = true;
    Sleep(100);  // let the box finish laying out its text
    EnumChildWindows(search.found, CollectTexts, reinterpret_cast<LPARAM>(&outcome.texts));
    PostMessageW(search.found, WM_COMMAND, IDOK, 0);
  }
  outcome.ended = WaitForSingleObject(process.Get(), 10000) == WAIT_OBJECT_0;
  if (!outcome.ended) TerminateProcess(process.Get(), 99);
  GetExitCodeProcess(process.Get(), &outcome.exitCode);
  return outcome;
}

bool HasText(const std::vector<std::wstring>& texts, const std::wstring& expected) {
  for (const std::wstring& text : texts) {
    if (text == expected) return true;
  }
  check::Fail(__FILE__, __LINE__, "no text " + check::Show(expected) + " in the message box");
  for (const std::wstring& text : texts) std::printf("      box text: %s\n", check::Show(text).c_str());
  return false;
}

TEST(WithoutTheLibraryTheProgramShowsTheMessageAndEndsWithMinusOne) {
  const std::wstring folder = PrepareFolder(L"tavrel-no-engine-");
  const ProbeOutcome outcome = RunProbe(folder, folder);
  CHECK(outcome.dialogSeen);
  HasText(outcome.texts, L"运行时出错!\r\n\r\n错误信息：无法找到指定DLL库文件“wke.dll”中的输出命令“wkeInitialize”");
  CHECK(outcome.ended);
  CHECK_EQ(outcome.exitCode, static_cast<DWORD>(-1));
  RemoveFolder(folder);
}

TEST(ALibraryLackingAnEntryPointNamesItAndEndsWithMinusOne) {
  const std::wstring folder = PrepareFolder(L"tavrel-lacking-engine-");
  CHECK(CopyFileW((ThisFolder() + L"wke-without-finalize\\wke.dll").c_str(), (folder + L"wke.dll").c_str(), FALSE));
  // The current folder holds the complete library: the probe's own folder must win.
  const ProbeOutcome outcome = RunProbe(folder, ThisFolder());
  CHECK(outcome.dialogSeen);
  HasText(outcome.texts, L"运行时出错!\r\n\r\n错误信息：无法找到指定DLL库文件“wke.dll”中的输出命令“wkeFinalize”");
  CHECK(outcome.ended);
  CHECK_EQ(outcome.exitCode, static_cast<DWORD>(-1));
  RemoveFolder(folder);
}

TEST(WithTheLibraryTheProbeRunsThrough) {
  const ProbeOutcome outcome = RunProbe(ThisFolder(), ThisFolder());
  CHECK(!outcome.dialogSeen);
  CHECK(outcome.ended);
  CHECK_EQ(outcome.exitCode, DWORD{0});
}

}  // namespace

CHECK_MAIN()
