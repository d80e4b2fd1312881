// Local search on generated GBK answer banks in a real rich edit box: the shipped
// search against the per-byte counting form and against the bare highlighting,
// searches after the first one (on an unchanged bank, on a bank already in the
// standard format), the tolerant search and the closest passage, each with the
// longest wait a posted message saw while it ran.
#include <windows.h>
#include <richedit.h>

#include <algorithm>
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
#include "answerbank/StandardFormatting.h"
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

// Puts `word` (4 bytes) at the start of `occurrences` lines spread evenly,
// each at 1/`phase` of the way through its share of the bank.
void PlaceWord(std::string& bank, size_t lineBytes, const char* word, int occurrences, int phase) {
  const size_t step = bank.size() / static_cast<size_t>(occurrences);
  for (int i = 0; i < occurrences; ++i) {
    size_t at = static_cast<size_t>(i) * step + step / static_cast<size_t>(phase);
    at -= at % lineBytes;  // a line start: always a character boundary
    bank.replace(at, 4, word);
  }
}

// GBK lines of mixed Chinese and ASCII with CR LF ends, `occurrences` of 答案 spread evenly.
std::string MakeBank(size_t bytes, int occurrences) {
  const std::string line = "第一题：下列选项中正确的是 A. 甲 B. 乙 C. 丙 D. 丁 (2018)\r\n";
  std::string bank;
  while (bank.size() < bytes) bank += line;
  bank.resize(bytes - bytes % 2);
  PlaceWord(bank, line.size(), "答案", occurrences, 2);
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

struct Figures {
  double seconds = 0;
  double longestWaitMs = 0;
};

// `probe` false measures work that processes no messages at all: the probe
// messages would only pile up in the queue, and a long queue slows the box.
template <typename Work>
Figures Measure(const char* label, Work work, bool probe = true) {
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
  const Figures figures{seconds, maxWaitMicros / 1000.0};
  if (probe) {
    std::printf("  %-52s %8.3f s   longest wait for messages %7.1f ms\n", label, seconds, figures.longestWaitMs);
  } else {
    std::printf("  %-52s %8.3f s   (processes no messages)\n", label, seconds);
  }
  std::fflush(stdout);
  return figures;
}

// Applies `format` to every range, drawing suspended, no messages processed.
void FormatAll(const Window& w, const std::vector<CharRange>& ranges, uint32_t colour) {
  RichEditBox box(w.answerBank);
  RedrawSuspension quiet(w.answerBank);
  TextFormat format = DefaultTextFormat();
  format.colour = colour;
  for (const CharRange& range : ranges) {
    box.Select(range.start, range.length);
    box.ApplyFormatToSelection(format);
  }
  box.Select(0, 0);
}

void SearchFor(const Window& w, const char* question, const std::string& expectedReport) {
  SetWindowTextGbk(w.searchBox, question);
  LocalSearch();
  if (GetWindowTextGbk(w.status) != expectedReport) std::printf("      WRONG REPORT\n");
}

void Load(const Window& w, const std::string& bank) {
  RichEditBox(w.answerBank).SetContent(bank);
  SetWindowTextGbk(w.searchBox, "答案");
}

}  // namespace

// Each measurement gets a new window and box holding freshly loaded text, so
// none inherits the state (formatting runs, undo, caret) another one left.
Window FreshWindow(const std::string& bank) {
  const Window w = MakeWindow();
  Load(w, bank);
  return w;
}

void Close(const Window& w) {
  DestroyWindow(w.host);
  PumpPendingMessages();
}

template <typename Work>
Figures MeasureFresh(const char* label, const std::string& bank, Work work, bool probe = true) {
  const Window w = FreshWindow(bank);
  const Figures figures = Measure(label, [&] { work(w); }, probe);
  Close(w);
  return figures;
}

void Ratio(const char* what, double value, const char* bound) { std::printf("      %s: %.3f (%s)\n", what, value, bound); }

int main(int argc, char** argv) {
  bool perByteFull = false;
  for (int i = 1; i < argc; ++i) perByteFull = perByteFull || std::strcmp(argv[i], "--per-byte-full") == 0;
  GlobalInit();
  RegisterHostClass();

  std::printf("(a) 100 KB answer bank, 200 occurrences\n");
  const std::string small = MakeBank(100 * 1024, 200);
  MeasureFresh("shipped search", small, [](const Window& w) { SearchFor(w, "答案", SearchReport(200)); });
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
  const Figures first = MeasureFresh("shipped search", large, [](const Window& w) { SearchFor(w, "答案", SearchReport(2000)); });
  const auto ranges = OccurrenceRanges(large, "答案", FindOccurrences(large, "答案"));
  const long long total = RichCharCount(large);
  MeasureFresh("floor, processing messages every 30 ms", large,
               [&](const Window& w) { HighlightsOnly(w, ranges, total, true); });
  const Figures floor = MeasureFresh("floor: reset + highlights, drawing suspended", large,
                                     [&](const Window& w) { HighlightsOnly(w, ranges, total, false); }, false);
  Ratio("first search / floor", first.seconds / floor.seconds, "at most 1.5");

  std::printf("(c) the same 1 MB bank with 2,000 occurrences of 结论 as well: searches after the first\n");
  std::string two = large;
  PlaceWord(two, std::string("第一题：下列选项中正确的是 A. 甲 B. 乙 C. 丙 D. 丁 (2018)\r\n").size(), "结论", 2000, 4);
  const auto otherRanges = OccurrenceRanges(two, "结论", FindOccurrences(two, "结论"));
  double longestWithoutReset = 0;
  {
    const Window w = FreshWindow(two);
    const Figures again1 = Measure("first search 答案", [&] { SearchFor(w, "答案", SearchReport(2000)); });
    const Figures again = Measure("the same search again, bank unchanged", [&] { SearchFor(w, "答案", SearchReport(2000)); });
    const Figures other = Measure("a different search (结论), bank unchanged", [&] { SearchFor(w, "结论", SearchReport(2000)); });
    Ratio("same search again / first search", again.seconds / again1.seconds, "at most 0.1");
    longestWithoutReset = std::max({longestWithoutReset, again.longestWaitMs, other.longestWaitMs});
    Close(w);
    const Window v = FreshWindow(two);
    SearchFor(v, "答案", SearchReport(2000));
    const Figures putBack = Measure("  putting 2,000 hits back alone", [&] { FormatAll(v, ranges, 0); }, false);
    const Figures colour = Measure("  colouring 2,000 hits alone", [&] { FormatAll(v, otherRanges, 0x0000FF); }, false);
    Ratio("different search / (putting back + colouring)", other.seconds / (putBack.seconds + colour.seconds),
          "at most 1");
    Close(v);
  }
  {
    const Window w = FreshWindow(two);
    FormatWholeBox(w.answerBank);
    const Figures standardFirst =
        Measure("first search 答案 on a bank already standard", [&] { SearchFor(w, "答案", SearchReport(2000)); });
    longestWithoutReset = std::max(longestWithoutReset, standardFirst.longestWaitMs);
    Close(w);
    const Window v = FreshWindow(two);
    FormatWholeBox(v.answerBank);
    const Figures colour = Measure("  colouring its 2,000 hits alone", [&] { FormatAll(v, ranges, 0x0000FF); }, false);
    Ratio("that search / colouring alone", standardFirst.seconds / colour.seconds, "near 1: no reset");
    Close(v);
  }

  std::printf("(d) the tolerant search on the 1 MB bank, already in the standard format\n");
  {
    const Window w = FreshWindow(large);
    FormatWholeBox(w.answerBank);
    // White space, full width and Chinese punctuation: found folded, every line.
    const Figures folded = Measure("folded: 2,000 hits of a question with spaces", [&] {
      SearchFor(w, "答案 题：下列选项中正确的是Ａ．", FoldedSearchReport(2000));
    });
    const Figures closest = Measure("closest passages: 1 of 15 characters changed", [&] {
      SearchFor(w, "答案题：下列选相中正确的是A", ClosestSearchReport(93, 2000));
    });
    longestWithoutReset = std::max({longestWithoutReset, folded.longestWaitMs, closest.longestWaitMs});
    Close(w);
  }
  std::printf("  longest wait for messages in a search without the whole-text reset: %.1f ms (at most 100)\n",
              longestWithoutReset);
  ExitCleanup();
  return 0;
}
