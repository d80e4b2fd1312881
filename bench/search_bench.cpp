// Local search on generated GBK answer banks in a real rich edit box: the shipped
// search against the per-byte counting form and against the bare highlighting,
// searches after the first one (on an unchanged bank, on a bank already in the
// standard format), the tolerant search and the closest passage, each with the
// longest wait a posted message saw while it ran. Each measurement runs in a
// process of its own, which this program starts (--run <name>), three times
// (--repeat <n>), each time with the memory laid out another way (--layout);
// the shortest time is shown, the slowest beside it.
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

#include "answerbank/RichCharCount.h"
#include "answerbank/RichEditBox.h"
#include "answerbank/StandardFormatting.h"
#include "answerbank/search/LocalSearch.h"
#include "answerbank/search/Occurrences.h"
#include "answerbank/search/SearchReport.h"
#include "app/Globals.h"
#include "per_byte_count.h"
#include "platform/Controls.h"
#include "platform/Handles.h"
#include "platform/MessagePump.h"
#include "platform/Text.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr UINT kProbe = WM_APP + 7;

// Posted every 5 ms from another thread; the longest time one waited before it
// was dispatched is the longest stretch without message processing.
std::atomic<long long> maxWaitMicros{0};

// Microseconds, cut to 32 bits so that they fit a message's parameter at both
// widths; the difference of two of them is right for waits below an hour.
uint32_t NowMicros() {
  return static_cast<uint32_t>(
      std::chrono::duration_cast<std::chrono::microseconds>(Clock::now().time_since_epoch()).count());
}

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kProbe) {
    const long long waited = static_cast<uint32_t>(NowMicros() - static_cast<uint32_t>(lParam));
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
  const std::string line = "第一题：下列选项中正确的是 A. 甲 B. 乙 C. 丙 D. 丁 (2018)\r\n";  // as kLine
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
// The reset is one request, made the way that spares the box measuring every
// line again (as the text's plain reset in one request would; see (e)).
void HighlightsOnly(const Window& w, const std::vector<CharRange>& ranges, long long total, bool pump) {
  ThrottledPump pumper;
  RichEditBox box(w.answerBank);
  RedrawSuspension quiet(w.answerBank);
  TextFormat standard = DefaultTextFormat();
  standard.colour = 0;
  FormatInOneRequest(w.answerBank, 0, total, standard);
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
  bool probed = false;  // whether the wait was measured
  std::string label;
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
  const Figures figures{seconds, maxWaitMicros / 1000.0, probe, label};
  // For the driver that started this measurement, which prints it (see RunApart).
  std::printf("#figures %.6f %.3f %d %s\n", seconds, figures.longestWaitMs, probe ? 1 : 0, label);
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

// The console takes UTF-8; the program's texts are GBK.
std::string Utf8(const std::string& gbk) {
  const std::wstring wide = GbkToWide(gbk);
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<size_t>(bytes > 0 ? bytes : 0), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), text.data(), bytes, nullptr, nullptr);
  return text;
}

void SearchFor(const Window& w, const char* question, const std::string& expectedReport) {
  SetWindowTextGbk(w.searchBox, question);
  LocalSearch();
  const std::string report = GetWindowTextGbk(w.status);
  if (report != expectedReport) std::printf("      WRONG REPORT: %s\n", Utf8(report).c_str());
}

void Load(const Window& w, const std::string& bank) {
  RichEditBox(w.answerBank).SetContent(bank);
  SetWindowTextGbk(w.searchBox, "答案");
}

// Each measurement gets a new window and box holding freshly loaded text, so
// none inherits the state (formatting runs, undo, caret) another one left.
Window FreshWindow(const std::string& bank) {
  const Window w = MakeWindow();
  Load(w, bank);
  return w;
}

const char kLine[] = "第一题：下列选项中正确的是 A. 甲 B. 乙 C. 丙 D. 丁 (2018)\r\n";

std::string LargeBank() { return MakeBank(1024 * 1024, 2000); }

// The large bank with 2,000 occurrences of a second word as well.
std::string TwoWordBank() {
  std::string bank = LargeBank();
  PlaceWord(bank, std::strlen(kLine), "结论", 2000, 4);
  return bank;
}

std::vector<CharRange> RangesOf(const std::string& bank, const char* word) {
  return OccurrenceRanges(bank, word, FindOccurrences(bank, word));
}

// ---- The measurements, each run in a process of its own (see RunApart). ----

// Without the probe thread (`probed` false) only the time is measured: under
// Wine the posting thread slows the box's requests, by a third and more where
// the server's round trips are slow, which the floor does not pay.
void SmallSearch(bool probed) {
  const Window w = FreshWindow(MakeBank(100 * 1024, 200));
  Measure(probed ? "shipped search" : "shipped search, not probed", [&] { SearchFor(w, "答案", SearchReport(200)); },
          probed);
}

void SmallFloor() {
  const std::string bank = MakeBank(100 * 1024, 200);
  const Window w = FreshWindow(bank);
  const auto ranges = RangesOf(bank, "答案");
  Measure("floor: reset + highlights, drawing suspended",
          [&] { HighlightsOnly(w, ranges, RichCharCount(bank), false); }, false);
}

void SmallPerByte(bool full) {
  if (full) {
    const Window w = FreshWindow(MakeBank(100 * 1024, 200));
    Measure("per-byte counting, 200 occurrences", [&] { PerByteSearch(w); });
    return;
  }
  // The per-byte form takes minutes here; time it on a 10 KB bank with 20
  // occurrences, whose cost grows with length times occurrences.
  const Window w = FreshWindow(MakeBank(10 * 1024, 20));
  Measure("per-byte counting, 10 KB / 20 occurrences", [&] { PerByteSearch(w); });
  std::printf("      (x100 for 100 KB / 200 occurrences; run with --per-byte-full to measure it)\n");
}

void FirstSearch(bool probed) {
  const Window w = FreshWindow(LargeBank());
  Measure(probed ? "shipped search" : "shipped search, not probed", [&] { SearchFor(w, "答案", SearchReport(2000)); },
          probed);
}

void Floor(bool pump) {
  const std::string bank = LargeBank();
  const Window w = FreshWindow(bank);
  const auto ranges = RangesOf(bank, "答案");
  if (pump) {
    Measure("floor, processing messages every 30 ms", [&] { HighlightsOnly(w, ranges, RichCharCount(bank), true); });
  } else {
    Measure("floor: reset + highlights, drawing suspended",
            [&] { HighlightsOnly(w, ranges, RichCharCount(bank), false); }, false);
  }
}

void LaterSearches() {
  const Window w = FreshWindow(TwoWordBank());
  Measure("first search", [&] { SearchFor(w, "答案", SearchReport(2000)); });
  Measure("the same search again, bank unchanged", [&] { SearchFor(w, "答案", SearchReport(2000)); });
  Measure("a different search (the second word), bank unchanged", [&] { SearchFor(w, "结论", SearchReport(2000)); });
}

void PutBackAndColour() {
  const std::string bank = TwoWordBank();
  const Window w = FreshWindow(bank);
  SearchFor(w, "答案", SearchReport(2000));
  // As during a search: a box with the focus takes far longer over each request.
  SetFocus(nullptr);
  Measure("  putting its 2,000 hits back alone", [&] { FormatAll(w, RangesOf(bank, "答案"), 0); }, false);
  Measure("  colouring the second word's 2,000 alone", [&] { FormatAll(w, RangesOf(bank, "结论"), 0x0000FF); }, false);
}

enum class OnStandard { Search, ColourAlone, ResetAlone };

void StandardFirst(OnStandard what) {
  const std::string bank = TwoWordBank();
  const Window w = FreshWindow(bank);
  FormatWholeBox(w.answerBank);
  switch (what) {
    case OnStandard::Search:
      Measure("first search on a bank already standard", [&] { SearchFor(w, "答案", SearchReport(2000)); });
      break;
    case OnStandard::ColourAlone:
      Measure("  colouring its 2,000 hits alone", [&] { FormatAll(w, RangesOf(bank, "答案"), 0x0000FF); }, false);
      break;
    case OnStandard::ResetAlone:
      Measure("  the whole-text reset it skips", [&] { FormatAll(w, {CharRange{0, RichCharCount(bank)}}, 0); }, false);
      break;
  }
}

void TolerantSearches() {
  const Window w = FreshWindow(LargeBank());
  FormatWholeBox(w.answerBank);
  // White space, full width and Chinese punctuation: found folded, in 2,000 lines.
  Measure("folded: 2,000 hits of a question with spaces",
          [&] { SearchFor(w, "答案 题：下列选项中正确的是Ａ．", FoldedSearchReport(2000)); });
  // Ends each of the 2,000 highlights one character earlier, before the full stop.
  Measure("closest passages: 1 of 14 characters changed",
          [&] { SearchFor(w, "答案题：下列选相中正确的是A", ClosestSearchReport(92, 2000)); });
}

// The ways to reset the whole text that (e) compares.
enum class Reset { Plain, OneRequest, Shipped };

// Resets the box's first `total` positions to the standard format, drawing
// suspended: in one FormatInOneRequest (`slice` 0) or in slices of `slice`
// characters with messages processed between them.
void ResetIn(HWND box, long long total, long long slice) {
  TextFormat standard = DefaultTextFormat();
  standard.colour = 0;
  RedrawSuspension quiet(box);
  ThrottledPump pump;
  const long long step = slice ? slice : total;
  for (long long start = 0; start < total; start += step) {
    FormatInOneRequest(box, start, std::min(total, start + step), standard);
    if (slice) pump.Tick();
  }
}

// The whole-text reset of a freshly set bank: in one request as the box takes
// it, in one request made with FormatInOneRequest, in slices of `slice`
// characters with messages processed between them, or as shipped
// (FormatWholeBox).
void WholeReset(size_t kilobytes, Reset how, long long slice = 0) {
  const std::string bank = MakeBank(kilobytes * 1024, static_cast<int>(kilobytes * 2));
  const Window w = FreshWindow(bank);
  SetFocus(nullptr);
  const long long total = RichCharCount(bank);
  char label[80];
  if (how == Reset::Plain) {
    Measure("  in one request, as the box takes it", [&] { FormatAll(w, {CharRange{0, total}}, 0); }, false);
  } else if (how == Reset::Shipped) {
    Measure("  as shipped (FormatWholeBox)", [&] { FormatWholeBox(w.answerBank); });
  } else if (slice == 0) {
    Measure("  in one request, the widest line last", [&] { ResetIn(w.answerBank, total, 0); }, false);
  } else {
    std::snprintf(label, sizeof label, "  in slices of %lld, processing messages", slice);
    Measure(label, [&] { ResetIn(w.answerBank, total, slice); });
  }
}

// The slice sizes (e) tries.
constexpr long long kSlices[] = {5000, 20000, 50000, 100000};

// "reset-<bank KB>-<how>": plain, one, shipped or a slice size.
void WholeResetRun(const char* runName) {
  const size_t kilobytes = std::strtoul(runName, nullptr, 10);
  const char* how = std::strchr(runName, '-');
  if (!how) return;
  ++how;
  if (std::strcmp(how, "plain") == 0) {
    WholeReset(kilobytes, Reset::Plain);
  } else if (std::strcmp(how, "one") == 0) {
    WholeReset(kilobytes, Reset::OneRequest);
  } else if (std::strcmp(how, "shipped") == 0) {
    WholeReset(kilobytes, Reset::Shipped);
  } else {
    WholeReset(kilobytes, Reset::OneRequest, std::atoll(how));
  }
}

// A box that lives on, as the answer bank does: the 1 MB bank put in again
// piece by piece over the text it holds, as an import does, then the
// whole-text reset in one request (`slice` 0) or in slices; twice.
void LivedReset(long long slice) {
  const std::string bank = LargeBank();
  const Window w = FreshWindow(bank);
  SetFocus(nullptr);
  const long long total = RichCharCount(bank);
  for (const char* round : {"first", "second"}) {
    RichEditBox(w.answerBank).SetContentInPieces(bank, [] { return PumpPendingMessages(); });
    char label[80];
    std::snprintf(label, sizeof label, slice ? "  %s refill, in slices of %lld" : "  %s refill, in one request", round,
                  slice);
    Measure(label, [&] { ResetIn(w.answerBank, total, slice); }, slice != 0);
  }
}

struct Run {
  const char* name;
  void (*body)(bool perByteFull);
};

const Run kRuns[] = {
    {"small-search", [](bool) { SmallSearch(true); }},
    {"small-search-unprobed", [](bool) { SmallSearch(false); }},
    {"small-floor", [](bool) { SmallFloor(); }},
    {"small-per-byte", [](bool full) { SmallPerByte(full); }},
    {"first", [](bool) { FirstSearch(true); }},
    {"first-unprobed", [](bool) { FirstSearch(false); }},
    {"floor-pumping", [](bool) { Floor(true); }},
    {"floor", [](bool) { Floor(false); }},
    {"lived-one", [](bool) { LivedReset(0); }},
    {"lived-50000", [](bool) { LivedReset(50000); }},
    {"later", [](bool) { LaterSearches(); }},
    {"put-back-and-colour", [](bool) { PutBackAndColour(); }},
    {"standard-first", [](bool) { StandardFirst(OnStandard::Search); }},
    {"standard-colour", [](bool) { StandardFirst(OnStandard::ColourAlone); }},
    {"standard-reset", [](bool) { StandardFirst(OnStandard::ResetAlone); }},
    {"tolerant", [](bool) { TolerantSearches(); }},
};

// Runs one measurement in a new process of this program: its figures, and the
// other lines it printed. Under Wine a rich edit box works several times slower
// in a process that already held and destroyed a long one, so measurements made
// one after the other in one process would not compare.
//
// Under Wine the same work in a rich edit box takes up to twice as long in one
// process as in another, depending only on where its memory happens to lie:
// the 1 MB reset took 0.93 s or 2.13 s, the highlights 1.13 s or 1.63 s, as the
// command line grew one character at a time. So every command line is made the
// same length whatever the measurement's name, and each repeat `layout` pads it
// differently: the shortest of the repeats compares measurements laid out alike.
std::vector<Figures> RunApart(const char* name, bool perByteFull, int layout, std::vector<std::string>& lines) {
  std::vector<Figures> figures;
  wchar_t exe[MAX_PATH];
  GetModuleFileNameW(nullptr, exe, MAX_PATH);
  std::wstring command = L"\"" + std::wstring(exe) + L"\" --run " + GbkToWide(name);
  if (perByteFull) command += L" --per-byte-full";
  constexpr size_t kNameWidth = 40;
  constexpr size_t kLayoutStep = 3;
  const size_t named = std::strlen(name) + (perByteFull ? 16 : 0);
  const size_t pad = (named < kNameWidth ? kNameWidth - named : 0) + static_cast<size_t>(layout) * kLayoutStep;
  command += L" --layout " + std::wstring(pad + 1, L'x');
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE readEnd = nullptr;
  HANDLE writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return figures;
  KernelHandle reader(readEnd);
  KernelHandle writer(writeEnd);
  SetHandleInformation(reader.Get(), HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = writer.Get();
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION started{};
  if (!CreateProcessW(exe, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &started)) {
    lines.push_back(std::string("  ") + name + ": cannot start a process for it");
    return figures;
  }
  KernelHandle process(started.hProcess);
  KernelHandle thread(started.hThread);
  writer.Reset();
  std::string output;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(reader.Get(), buffer, sizeof buffer, &got, nullptr) && got > 0) output.append(buffer, got);
  WaitForSingleObject(process.Get(), INFINITE);
  for (size_t start = 0, end; start < output.size(); start = end + 1) {
    end = output.find('\n', start);
    if (end == std::string::npos) end = output.size();
    const std::string line = output.substr(start, end - start);
    Figures f;
    int probed = 0;
    int labelAt = 0;
    if (std::sscanf(line.c_str(), "#figures %lf %lf %d%n", &f.seconds, &f.longestWaitMs, &probed, &labelAt) == 3 &&
        labelAt > 0) {
      f.probed = probed != 0;
      f.label = line.substr(static_cast<size_t>(labelAt) + 1);
      figures.push_back(f);
    } else if (!line.empty()) {
      lines.push_back(line);
    }
  }
  return figures;
}

int repeats = 3;

// Runs a measurement `repeats` times, each in a process of its own, and prints
// the shortest time of each figure with the longest wait for messages seen in
// any run; returns those.
std::vector<Figures> RunBest(const char* name, bool perByteFull = false) {
  std::vector<Figures> best;
  std::vector<double> slowest;
  std::vector<std::string> notes;
  for (int run = 0; run < repeats; ++run) {
    std::vector<std::string> lines;
    const std::vector<Figures> figures = RunApart(name, perByteFull, run, lines);
    if (run == 0) notes = lines;
    for (size_t i = 0; i < figures.size(); ++i) {
      if (i >= best.size()) {
        best.push_back(figures[i]);
        slowest.push_back(figures[i].seconds);
        continue;
      }
      best[i].seconds = std::min(best[i].seconds, figures[i].seconds);
      best[i].longestWaitMs = std::max(best[i].longestWaitMs, figures[i].longestWaitMs);
      slowest[i] = std::max(slowest[i], figures[i].seconds);
    }
  }
  for (size_t i = 0; i < best.size(); ++i) {
    const Figures& f = best[i];
    std::printf("  %-52s %8.3f s (slowest %7.3f)", f.label.c_str(), f.seconds, slowest[i]);
    if (f.probed) {
      std::printf("   longest wait for messages %7.1f ms\n", f.longestWaitMs);
    } else {
      std::printf("   (processes no messages)\n");
    }
  }
  for (const std::string& note : notes) std::printf("%s\n", note.c_str());
  std::fflush(stdout);
  return best;
}

void Ratio(const char* what, double value, const char* bound) { std::printf("      %s: %.3f (%s)\n", what, value, bound); }

// The figures of a run, or zeros where it did not give them all.
Figures Nth(const std::vector<Figures>& figures, size_t n) { return n < figures.size() ? figures[n] : Figures{}; }

void Drive(const std::string& sections, bool perByteFull) {
  const auto wanted = [&sections](char section) { return sections.find(section) != std::string::npos; };
  double longest = 0;
  if (wanted('a')) {
    std::printf("(a) 100 KB answer bank, 200 occurrences\n");
    const Figures first = Nth(RunBest("small-search"), 0);
    const Figures unprobed = Nth(RunBest("small-search-unprobed"), 0);
    const Figures floor = Nth(RunBest("small-floor"), 0);
    Ratio("first search / floor", first.seconds / floor.seconds, "at most 1.2");
    Ratio("first search not probed / floor", unprobed.seconds / floor.seconds, "what the search itself adds");
    RunBest("small-per-byte", perByteFull);
  }
  if (wanted('b')) {
    std::printf("(b) 1 MB answer bank, 2,000 occurrences\n");
    const Figures first = Nth(RunBest("first"), 0);
    const Figures unprobed = Nth(RunBest("first-unprobed"), 0);
    RunBest("floor-pumping");
    const Figures floor = Nth(RunBest("floor"), 0);
    Ratio("first search / floor", first.seconds / floor.seconds, "at most 1.2");
    Ratio("first search not probed / floor", unprobed.seconds / floor.seconds, "what the search itself adds");
  }
  if (wanted('c')) {
    std::printf("(c) the 1 MB bank with 2,000 occurrences of a second word as well: searches after the first\n");
    const std::vector<Figures> later = RunBest("later");
    const std::vector<Figures> parts = RunBest("put-back-and-colour");
    Ratio("same search again / first search", Nth(later, 1).seconds / Nth(later, 0).seconds, "at most 0.1");
    Ratio("different search / (putting back + colouring)",
          Nth(later, 2).seconds / (Nth(parts, 0).seconds + Nth(parts, 1).seconds), "at most 1");
    const Figures standard = Nth(RunBest("standard-first"), 0);
    const Figures colour = Nth(RunBest("standard-colour"), 0);
    RunBest("standard-reset");
    Ratio("first search on a standard bank / colouring alone", standard.seconds / colour.seconds,
          "near 1: no reset");
    longest = std::max({longest, Nth(later, 1).longestWaitMs, Nth(later, 2).longestWaitMs, standard.longestWaitMs});
  }
  if (wanted('d')) {
    std::printf("(d) the tolerant search on the 1 MB bank, already in the standard format\n");
    const std::vector<Figures> tolerant = RunBest("tolerant");
    longest = std::max({longest, Nth(tolerant, 0).longestWaitMs, Nth(tolerant, 1).longestWaitMs});
  }
  if (wanted('e')) {
    for (const int kilobytes : {100, 1024}) {
      std::printf("(e) the whole-text reset of a freshly set %s bank\n", kilobytes == 100 ? "100 KB" : "1 MB");
      const auto run = [kilobytes](const std::string& how) {
        return Nth(RunBest(("reset-" + std::to_string(kilobytes) + "-" + how).c_str()), 0);
      };
      const Figures plain = run("plain");
      const Figures one = run("one");
      Ratio("as the box takes it / the widest line last", plain.seconds / one.seconds, "what the way spares");
      for (const long long slice : kSlices) {
        const Figures sliced = run(std::to_string(slice));
        std::printf("      in slices of %lld / in one request: %.3f (the price of staying responsive)\n", slice,
                    sliced.seconds / one.seconds);
      }
      const Figures shipped = run("shipped");
      Ratio("as shipped / in one request", shipped.seconds / one.seconds, "with the format query and the pauses");
    }
  }
  if (wanted('f')) {
    std::printf("(f) the whole-text reset in a box that lives on: the 1 MB bank put in again piece by piece\n");
    const std::vector<Figures> one = RunBest("lived-one");
    const std::vector<Figures> sliced = RunBest("lived-50000");
    Ratio("second refill: in one request / in slices", Nth(one, 1).seconds / Nth(sliced, 1).seconds,
          "above 1: slices are the way");
  }
  if (wanted('c') || wanted('d')) {
    std::printf("  longest wait for messages in a search without the whole-text reset: %.1f ms (at most 100)\n",
                longest);
  }
}

}  // namespace

int main(int argc, char** argv) {
  bool perByteFull = false;
  std::string sections = "abcde";
  const char* run = nullptr;
  for (int i = 1; i < argc; ++i) {
    perByteFull = perByteFull || std::strcmp(argv[i], "--per-byte-full") == 0;
    if (std::strcmp(argv[i], "--sections") == 0 && i + 1 < argc) sections = argv[++i];
    if (std::strcmp(argv[i], "--run") == 0 && i + 1 < argc) run = argv[++i];
    if (std::strcmp(argv[i], "--layout") == 0 && i + 1 < argc) ++i;  // only lays the memory out
    if (std::strcmp(argv[i], "--repeat") == 0 && i + 1 < argc) repeats = std::max(1, std::atoi(argv[++i]));
  }
  if (!run) {
    Drive(sections, perByteFull);
    return 0;
  }
  GlobalInit();
  RegisterHostClass();
  for (const Run& r : kRuns) {
    if (std::strcmp(r.name, run) == 0) r.body(perByteFull);
  }
  if (std::strncmp(run, "reset-", 6) == 0) WholeResetRun(run + 6);
  ExitCleanup();
  return 0;
}
