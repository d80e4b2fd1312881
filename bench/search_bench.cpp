// Local search on generated GBK answer banks in a real rich edit box: the shipped
// search against the per-byte counting form and against the bare highlighting,
// with the longest wait a posted message saw while each ran.
#include <windows.h>
#include <richedit.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "answerbank/LocalSearch.h"
#include "answerbank/Occurrences.h"
#include "answerbank/RichCharCount.h"
#include "answerbank/RichEditBox.h"
#include "answerbank/SearchReport.h"
#include "app/Globals.h"
#include "platform/Controls.h"
#include "platform/MessagePump.h"
#include "per_byte_count.h"
#include "platform/Text.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr UINT kProbe = WM_APP + 7;

// Posted every 5 ms from another thread; the longest time one waited before it
// was dispatched is the longest stretch without message processing.
std::atomic<long long> maxWaitMicros{0};

long long NowMicros() {
  return std::chrono::duration_cast<std::chrono::microseconds>(Clock::now().time_since_epoch()).count();
}

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kProbe) {
    const long long waited = NowMicros() - static_cast<long long>(lParam);
    if (waited > maxWaitMicros) maxWaitMicros = waited;
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

struct Window {
  HWND host, searchBox, answerBank, status;
};

void RegisterHostClass() {
  LoadLibraryW(L"msftedit.dll");
  WNDCLASSW cls{};
  cls.lpfnWndProc = HostProc;
  cls.hInstance = GetModuleHandleW(nullptr);
  cls.lpszClassName = L"SearchBenchHost";
  RegisterClassW(&cls);
}

Window MakeWindow() {
  Window w{};
  w.host = CreateWindowExW(0, L"SearchBenchHost", L"bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 620, 420,
                           nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  w.searchBox = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE, 0, 0, 300, 20, w.host, nullptr, nullptr, nullptr);
  w.answerBank = CreateWindowExW(WS_EX_CLIENTEDGE, MSFTEDIT_CLASS, L"",
                                 WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL, 0,
                                 25, 600, 300, w.host, nullptr, nullptr, nullptr);
  SendMessageW(w.answerBank, EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
  w.status = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 330, 600, 20, w.host, nullptr, nullptr, nullptr);
  SetLocalSearchControls({w.searchBox, w.answerBank, w.status});
  return w;
}

// GBK lines of mixed Chinese and ASCII with CR LF ends, `occurrences` of 答案 spread evenly.
std::string MakeBank(size_t bytes, int occurrences) {
  const std::string line = "第一题：下列选项中正确的是 A. 甲 B. 乙 C. 丙 D. 丁 (2018)\r\n";
  std::string bank;
  while (bank.size() < bytes) bank += line;
  bank.resize(bytes - bytes % 2);
  const size_t step = bank.size() / static_cast<size_t>(occurrences);
  for (int i = 0; i < occurrences; ++i) {
    size_t at = static_cast<size_t>(i) * step + step / 2;
    at -= at % line.size();  // a line start: always a character boundary
    bank.replace(at, 4, "答案");
  }
  return bank;
}

void PerByteSearch(const Window& w) {
  RichEditBox box(w.answerBank);
  const std::string text = box.Content();
  const std::string pattern = GetWindowTextGbk(w.searchBox);
  TextFormat standard = DefaultTextFormat();
  standard.colour = 0;
  box.Select(0, PerByteCount(text));
  box.ApplyFormatToSelection(standard);
  box.Select(0, 0);
  TextFormat red = DefaultTextFormat();
  red.colour = 0x0000FF;
  for (int p : FindOccurrences(text, pattern)) {
    box.Select(PerByteCount(text.substr(0, static_cast<size_t>(p) - 1)), PerByteCount(pattern));
    box.ApplyFormatToSelection(red);
    PumpPendingMessages();
  }
  box.Select(box.Selection().cpMin, 0);
}

// The floor: the reset and the highlights alone, drawing suspended, positions
// known; optionally processing messages every 30 ms as a responsive window must.
void HighlightsOnly(const Window& w, const std::vector<CharRange>& ranges, long long total, bool pump) {
  ThrottledPump pumper(30);
  RichEditBox box(w.answerBank);
  RedrawSuspension quiet(w.answerBank);
  TextFormat standard = DefaultTextFormat();
  standard.colour = 0;
  box.Select(0, total);
  box.ApplyFormatToSelection(standard);
  TextFormat red = DefaultTextFormat();
  red.colour = 0x0000FF;
  for (const CharRange& range : ranges) {
    box.Select(range.start, range.length);
    box.ApplyFormatToSelection(red);
    if (pump) pumper.Tick();
  }
  box.Select(0, 0);
}

// `probe` false measures work that processes no messages at all: the probe
// messages would only pile up in the queue, and a long queue slows the box.
template <typename Work>
void Measure(const char* label, Work work, bool probe = true) {
  PumpPendingMessages();
  maxWaitMicros = 0;
  std::atomic<bool> running{probe};
  HWND host = FindWindowW(L"SearchBenchHost", nullptr);
  std::thread poster([&] {
    while (running) {
      PostMessageW(host, kProbe, 0, static_cast<LPARAM>(NowMicros()));
      Sleep(5);
    }
  });
  const auto start = Clock::now();
  work();
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  running = false;
  poster.join();
  PumpPendingMessages();
  if (probe) {
    std::printf("  %-44s %10.3f s   longest wait for messages %7.1f ms\n", label, seconds, maxWaitMicros / 1000.0);
  } else {
    std::printf("  %-44s %10.3f s   (processes no messages)\n", label, seconds);
  }
  std::fflush(stdout);
}

void Load(const Window& w, const std::string& bank) {
  RichEditBox(w.answerBank).SetContent(bank);
  SetWindowTextGbk(w.searchBox, "答案");
}

}  // namespace

// Each measurement gets a new window and box holding freshly loaded text, so
// none inherits the state (formatting runs, undo, caret) another one left.
template <typename Work>
void MeasureFresh(const char* label, const std::string& bank, Work work, bool probe = true) {
  const Window w = MakeWindow();
  Load(w, bank);
  Measure(label, [&] { work(w); }, probe);
  DestroyWindow(w.host);
  PumpPendingMessages();
}

int main(int argc, char** argv) {
  bool perByteFull = false;
  for (int i = 1; i < argc; ++i) perByteFull = perByteFull || std::strcmp(argv[i], "--per-byte-full") == 0;
  GlobalInit();
  RegisterHostClass();

  std::printf("(a) 100 KB answer bank, 200 occurrences\n");
  const std::string small = MakeBank(100 * 1024, 200);
  MeasureFresh("shipped search", small, [](const Window& w) {
    LocalSearch();
    if (GetWindowTextGbk(w.status) != SearchReport(200)) std::printf("      WRONG REPORT\n");
  });
  if (perByteFull) {
    MeasureFresh("per-byte counting, 200 occurrences", small, [](const Window& w) { PerByteSearch(w); });
  } else {
    // The per-byte form takes minutes here; time it on a 10 KB bank with 20
    // occurrences, whose cost grows with length times occurrences.
    MeasureFresh("per-byte counting, 10 KB / 20 occurrences", MakeBank(10 * 1024, 20),
                 [](const Window& w) { PerByteSearch(w); });
    std::printf("      (x100 for 100 KB / 200 occurrences; run with --per-byte-full to measure it)\n");
  }

  std::printf("(b) 1 MB answer bank, 2,000 occurrences\n");
  const std::string large = MakeBank(1024 * 1024, 2000);
  MeasureFresh("shipped search", large, [](const Window& w) {
    LocalSearch();
    if (GetWindowTextGbk(w.status) != SearchReport(2000)) std::printf("      WRONG REPORT\n");
  });
  const auto ranges = OccurrenceRanges(large, "答案", FindOccurrences(large, "答案"));
  const long long total = RichCharCount(large);
  MeasureFresh("floor, processing messages every 30 ms", large,
               [&](const Window& w) { HighlightsOnly(w, ranges, total, true); });
  MeasureFresh("floor: reset + highlights, drawing suspended", large,
               [&](const Window& w) { HighlightsOnly(w, ranges, total, false); }, false);
  ExitCleanup();
  return 0;
}
