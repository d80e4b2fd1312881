// "格式化" and the import of a dropped document on a 1 MB GBK text in real rich
// edit boxes: the time from the click (or the drop) until the status line (or
// the box) shows the result, and the longest time the window went without
// processing messages meanwhile. The drop goes through OLE to the program's
// drop target and through the stand-in word processor, which must be
// registered first (bin/word-standin/word_standin_register.exe).
#include <windows.h>
#include <ole2.h>
#include <richedit.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "../stand-ins/word/WordStandin.h"
#include "answerbank/RichCharCount.h"
#include "answerbank/RichEditBox.h"
#include "answerbank/StandardFormatting.h"
#include "answerbank/import/DocumentImport.h"
#include "answerbank/import/DocumentReader.h"
#include "answerbank/import/WordImport.h"
#include "answerbank/notepad/Notepad.h"
#include "answerbank/notepad/NotepadFile.h"
#include "app/DropTarget.h"
#include "app/Globals.h"
#include "file_drag.h"
#include "per_byte_count.h"
#include "platform/Controls.h"
#include "platform/Handles.h"
#include "platform/MessagePump.h"
#include "platform/Text.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr UINT kProbe = WM_APP + 7;
constexpr int kFormatButton = 31;

// Posted every 5 ms from another thread; the longest time one waited before it
// was dispatched is the longest stretch without message processing.
std::atomic<long long> maxWaitMicros{0};

// Counted from the program's start: the time travels in an LPARAM, 32 bits wide
// in the 32-bit build, which holds half an hour of microseconds.
long long NowMicros() {
  static const Clock::time_point start = Clock::now();
  return std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start).count();
}

double SecondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kProbe) {
    const long long waited = NowMicros() - static_cast<long long>(lParam);
    if (waited > maxWaitMicros) maxWaitMicros = waited;
    return 0;
  }
  if (message == WM_COMMAND && LOWORD(wParam) == kFormatButton && HIWORD(wParam) == BN_CLICKED) {
    FormatNote();
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

struct Window {
  HWND host, box, status, button;
};

Window MakeWindow() {
  Window w{};
  w.host = CreateWindowExW(WS_EX_TOPMOST, L"NotepadBenchHost", L"bench", WS_POPUP | WS_VISIBLE, 100, 100, 620, 420,
                           nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  w.button = CreateWindowExW(0, L"BUTTON", L"fmt", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 0, 0, 60, 24, w.host,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFormatButton)), nullptr, nullptr);
  w.status = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 70, 0, 400, 24, w.host, nullptr, nullptr, nullptr);
  w.box = CreateWindowExW(WS_EX_CLIENTEDGE, MSFTEDIT_CLASS, L"",
                          WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL, 0, 30, 600,
                          360, w.host, nullptr, nullptr, nullptr);
  SendMessageW(w.box, EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
  SetNotepadControls({w.box, w.status});
  SetDocumentImportControls({w.box, [](int) {}, [] {}, [](int) {}});
  return w;
}

// GBK lines of mixed Chinese and ASCII with CR LF ends.
std::string MakeText(size_t bytes) {
  const std::string line = "第一题：下列选项中正确的是 A. 甲 B. 乙 C. 丙 D. 丁 (2018)\r\n";
  std::string text;
  while (text.size() < bytes) text += line;
  text.resize(bytes - bytes % line.size());
  return text;
}

// About `units` UTF-16 units of Chinese and ASCII lines, CR LF ends included.
std::wstring MakeWideText(size_t units) {
  const std::wstring line = L"第一题：下列选项中正确的是 A. 甲 B. 乙 C. 丙 D. 丁 (2018)\r\n";
  std::wstring text;
  while (text.size() + line.size() <= units) text += line;
  return text;
}

void WriteUtf8File(const std::wstring& path, const std::wstring& text) {
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                        nullptr);
  std::string utf8(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), utf8.data(), bytes, nullptr, nullptr);
  FileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  WriteFile(file.Get(), utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
}

// Runs `work` while another thread posts probe messages; prints its time and the longest wait.
template <typename Work>
void Measure(const char* label, Work work) {
  PumpPendingMessages();
  maxWaitMicros = 0;
  std::atomic<bool> running{true};
  HWND host = FindWindowW(L"NotepadBenchHost", nullptr);
  std::thread poster([&] {
    while (running) {
      PostMessageW(host, kProbe, 0, static_cast<LPARAM>(NowMicros()));
      Sleep(5);
    }
  });
  const double seconds = work();
  running = false;
  poster.join();
  PumpPendingMessages();
  std::printf("  %-52s %8.3f s   longest wait for messages %8.1f ms\n", label, seconds, maxWaitMicros / 1000.0);
  std::fflush(stdout);
}

// A one-off figure of work that processes no messages.
template <typename Work>
void Time(const char* label, Work work) {
  const auto start = Clock::now();
  work();
  std::printf("  %-52s %8.3f s   (one system call, processes no messages)\n", label, SecondsSince(start));
  std::fflush(stdout);
}

// Processes messages until `done`, at most `timeoutMs`; the seconds from `start`.
template <typename Done>
double RunUntil(Clock::time_point start, Done done, DWORD timeoutMs = 120000) {
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  while (!done() && GetTickCount64() < end) {
    MSG message;
    if (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    } else {
      Sleep(1);
    }
  }
  return SecondsSince(start);
}

void Destroy(const Window& w) {
  DestroyWindow(w.host);
  PumpPendingMessages();
}

}  // namespace

int main(int argc, char** argv) {
  bool perByte = false;
  // Sizes of the dropped texts read without Word, in thousands of UTF-16 units.
  std::vector<size_t> textUnits;
  for (int i = 1; i < argc; ++i) {
    perByte = perByte || std::strcmp(argv[i], "--per-byte") == 0;
    if (std::atoi(argv[i]) > 0) textUnits.push_back(static_cast<size_t>(std::atoi(argv[i])) * 1000);
  }
  if (textUnits.empty()) textUnits = {250000, 1000000};
  OleInitialize(nullptr);
  LoadLibraryW(L"msftedit.dll");
  WNDCLASSW cls{};
  cls.lpfnWndProc = HostProc;
  cls.hInstance = GetModuleHandleW(nullptr);
  cls.lpszClassName = L"NotepadBenchHost";
  RegisterClassW(&cls);
  GlobalInit();

  const std::string text = MakeText(1024 * 1024);
  std::printf("1 MB GBK text (%zu bytes, %lld character positions)\n", text.size(), RichCharCount(text));

  {
    Window w = MakeWindow();
    Time("putting the text into a box in one request", [&] { RichEditBox(w.box).SetContent(text); });
    Measure("counting (RichCharCount)", [&] {
      const auto start = Clock::now();
      const long long count = RichCharCount(RichEditBox(w.box).Content());
      if (count <= 0) std::printf("      WRONG COUNT\n");
      return SecondsSince(start);
    });
    if (perByte) {
      Measure("counting, messages processed once per byte", [&] {
        const auto start = Clock::now();
        PerByteCount(text);
        return SecondsSince(start);
      });
    }
    Measure("format button, from the click to its status text", [&] {
      SetWindowTextW(w.status, L"");
      const auto start = Clock::now();
      PostMessageW(w.button, BM_CLICK, 0, 0);
      return RunUntil(start, [&] { return GetWindowTextGbk(w.status) == kFormatNoteDone; });
    });
    Measure("format button again, text already in the standard format", [&] {
      SetWindowTextW(w.status, L"");
      const auto start = Clock::now();
      PostMessageW(w.button, BM_CLICK, 0, 0);
      return RunUntil(start, [&] { return GetWindowTextGbk(w.status) == kFormatNoteDone; });
    });
    Destroy(w);
  }

  {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring path = std::wstring(temp) + L"导入基准.txt";
    {
      FileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
      DWORD written = 0;
      WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    }
    Window w = MakeWindow();
    Measure("the word processor's part alone (open, copy, read)", [&] {
      const auto start = Clock::now();
      ClipboardLoan loan = ClipboardLoan::Borrow(1000);
      if (WideToGbk(ImportWordDocument(path, loan).text) != text) std::printf("      WRONG TEXT (is the stand-in registered?)\n");
      return SecondsSince(start);
    });
    bool imported = false;
    RegisterFileDropTarget(w.host, [&](const DroppedPaths& paths) {
      OnFilesDropped(paths);
      imported = true;
    });
    Measure("drop import from the drop to the formatted answer bank", [&] {
      const auto start = Clock::now();
      filedrag::DragFiles({path}, 400, 300);
      const double seconds = RunUntil(start, [&] { return imported; });
      if (RichEditBox(w.box).Content() != text) std::printf("      WRONG TEXT (is the stand-in registered?)\n");
      return seconds;
    });
    RevokeFileDropTarget(w.host);
    Destroy(w);
    DeleteFileW(path.c_str());
  }
  // Dropped text files as the program reads them without Word, from the drop to
  // the formatted answer bank: into an empty box, and over a bank of the same
  // size, whose text the waiting text replaces first. A size beyond the
  // import's limit measures the box alone, as the import would fill it.
  SetEnvironmentVariableW(kWordStandinModeVariable, L"absent");
  for (const size_t units : textUnits) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring path = std::wstring(temp) + L"导入基准-无Word.txt";
    const std::wstring wide = MakeWideText(units);
    WriteUtf8File(path, wide);
    const DroppedPaths drop{{path}};
    const bool withinLimit = wide.size() <= kMaxDocumentTextUnits;
    Window w = MakeWindow();
    char label[96];
    std::snprintf(label, sizeof label, withinLimit ? "drop without Word, %zu thousand characters, empty box"
                                                   : "the box alone, %zu thousand characters, empty box",
                  units / 1000);
    const char* const labels[] = {label, "the same again, over the bank it left"};
    for (const char* what : labels) {
      Measure(what, [&] {
        const auto start = Clock::now();
        if (withinLimit) {
          OnFilesDropped(drop);
        } else {
          ThrottledPump pump;
          RichEditBox(w.box).SetContentInPieces(wide, [&] { return pump.Tick(); });
          FormatWholeBox(w.box);
        }
        const double seconds = SecondsSince(start);
        if (RichEditBox(w.box).WideContent() != wide) std::printf("      WRONG TEXT\n");
        return seconds;
      });
    }
    Destroy(w);
    DeleteFileW(path.c_str());
  }
  ExitCleanup();
  OleUninitialize();
  return 0;
}
