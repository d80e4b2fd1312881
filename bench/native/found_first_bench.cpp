// How often the local search's first hit ("下一条" once) lies in the right
// question, for questions captured the way exam and practice pages show them,
// on generated course banks (tests/common/exam_bank.h); how often a question
// from another course finds anything; and the time and memory of one search
// on a 110,000-character and a 1 MB bank. Native: SearchBank alone, no box.
//
//   found_first_bench [captures-per-kind] [seed] [--show]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <new>
#include <string>
#include <vector>

#include "answerbank/search/BankSearch.h"
#include "answerbank/formats/TextEncoding.h"
#include "exam_bank.h"
#include "counting_allocator.h"

namespace {

using namespace exambank;
using Clock = std::chrono::steady_clock;

struct EncodedBank {
  Bank bank;
  std::string gbk;
  int course = 0;
};

struct Searched {
  BankSearchResult result;
  CharRange first;  // what 下一条 selects first
  double ms = 0;
  double cpuMs = 0;  // the processor time alone: on a shared machine the wall time also holds other programs' turns
  size_t extraBytes = 0;
};

Searched Search(GbkStandIn& gbk, const EncodedBank& bank, const std::u16string& question) {
  const std::string questionGbk = gbk.Encode(question);
  Searched s;
  const size_t before = counting::liveBytes;
  counting::peakBytes = counting::liveBytes;
  const auto start = Clock::now();
  const std::clock_t cpuStart = std::clock();
  s.result = SearchBank(bank.gbk, bank.bank.text, questionGbk, question);
  s.cpuMs = 1000.0 * static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
  s.ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
  s.extraBytes = counting::peakBytes - before;
  if (!s.result.hits.empty()) s.first = HitSelection(s.result, 1, questionGbk);
  return s;
}

bool Within(const CharRange& range, const BankEntry& entry) {
  return range.length > 0 && range.start >= entry.boxStart && range.start < entry.boxEnd;
}

bool AnyWithin(const BankSearchResult& result, const BankEntry& entry) {
  return std::any_of(result.hits.begin(), result.hits.end(), [&](const CharRange& r) { return Within(r, entry); });
}

// By number, so that the benchmark also builds against an earlier search to compare.
const char* OutcomeName(BankSearchOutcome outcome) {
  static const char* names[] = {"none", "exact", "folded", "closest", "stopped", "stem"};
  const size_t n = static_cast<size_t>(outcome);
  return n < std::size(names) ? names[n] : "other";
}

constexpr int kOutcomes = 8;

struct Tally {
  int captures = 0, first = 0, anywhere = 0, nothing = 0;
  int outcomes[kOutcomes] = {};
  void Add(const Searched& s, const BankEntry& entry) {
    ++captures;
    if (s.result.hits.empty()) {
      ++nothing;
    } else {
      first += Within(s.first, entry);
      anywhere += AnyWithin(s.result, entry);
    }
    ++outcomes[std::min(static_cast<int>(s.result.outcome), kOutcomes - 1)];
  }
};

// Shown with --show: the captures whose first hit missed, and the unrelated ones that found something.
bool show = false;

void Show(const char* what, const std::u16string& capture, const BankSearchResult& result) {
  if (!show) return;
  std::string text = Utf16ToUtf8(capture).value_or("?");
  for (size_t at = text.find_first_of("\r\n"); at != std::string::npos; at = text.find_first_of("\r\n", at)) {
    text.replace(at, text.compare(at, 2, "\r\n") == 0 ? 2 : 1, " / ");
  }
  std::printf("    %s (%s, %zu hits): %s\n", what, OutcomeName(result.outcome), result.hits.size(), text.c_str());
}

double Percent(int part, int whole) { return whole ? 100.0 * part / whole : 0.0; }

std::string OutcomeSummary(const int (&outcomes)[kOutcomes]) {
  std::string text;
  for (int o = 0; o < kOutcomes; ++o) {
    if (!outcomes[o]) continue;
    if (!text.empty()) text += ", ";
    text += std::string(OutcomeName(static_cast<BankSearchOutcome>(o))) + " " + std::to_string(outcomes[o]);
  }
  return text;
}

const BankEntry& PickEntry(Random& random, const Bank& bank, Capture kind) {
  for (;;) {
    const BankEntry& entry = OneOf(random, bank.entries);
    if (Applies(kind, entry.question)) return entry;
  }
}

void Timings(GbkStandIn& gbk, Random& random, const EncodedBank& bank, int searches) {
  std::vector<double> ms, cpuMs;
  size_t exactExtra = 0, otherExtra = 0;
  for (int i = 0; i < searches; ++i) {
    std::u16string question;
    if (i % 10 == 9) {
      // One in ten from another course, which runs every stage and finds nothing.
      const int other = (bank.course + 1 + static_cast<int>(Pick(random, Courses().size() - 1))) % static_cast<int>(Courses().size());
      Question q = MakeQuestion(random, other, static_cast<QuestionType>(Pick(random, 5)));
      Capture kind;
      do kind = static_cast<Capture>(Pick(random, kCaptureKinds)); while (!Applies(kind, q));
      question = MakeCapture(random, kind, q);
    } else {
      const Capture kind = static_cast<Capture>(i % kCaptureKinds);
      question = MakeCapture(random, kind, PickEntry(random, bank.bank, kind).question);
    }
    const Searched s = Search(gbk, bank, question);
    ms.push_back(s.ms);
    cpuMs.push_back(s.cpuMs);
    size_t& extra = s.result.outcome == BankSearchOutcome::Exact ? exactExtra : otherExtra;
    extra = std::max(extra, s.extraBytes);
  }
  std::sort(ms.begin(), ms.end());
  std::sort(cpuMs.begin(), cpuMs.end());
  const double chars = static_cast<double>(bank.bank.text.size());
  std::printf("  %9zu characters, %8zu bytes GBK: median %6.2f ms, p99 %6.2f ms, max %6.2f ms;"
              " processor time median %6.2f ms, p99 %6.2f ms\n",
              bank.bank.text.size(), bank.gbk.size(), ms[ms.size() / 2], ms[ms.size() * 99 / 100], ms.back(),
              cpuMs[cpuMs.size() / 2], cpuMs[cpuMs.size() * 99 / 100]);
  std::printf("    extra memory at most: exact hits %zu bytes = %.2f bytes a bank character (the bank cut at the hits),"
              " every other search %zu bytes = %.2f\n",
              exactExtra, static_cast<double>(exactExtra) / chars, otherExtra, static_cast<double>(otherExtra) / chars);
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  show = std::find(args.begin(), args.end(), "--show") != args.end();
  args.erase(std::remove(args.begin(), args.end(), "--show"), args.end());
  const int perKind = args.size() > 0 ? std::atoi(args[0].c_str()) : 500;
  Random random(args.size() > 1 ? static_cast<unsigned>(std::atoi(args[1].c_str())) : 21u);
  GbkStandIn gbk;

  // Courses 0..7 have a bank each, 86 to 1,146 questions; every course
  // supplies the questions that are not in a bank.
  const int sizes[] = {86, 150, 240, 380, 520, 700, 900, 1146};
  std::vector<EncodedBank> banks;
  for (int c = 0; c < 8; ++c) {
    EncodedBank b;
    b.course = c;
    b.bank = MakeBank(random, c, sizes[c]);
    b.gbk = gbk.Encode(b.bank.text);
    banks.push_back(std::move(b));
  }
  std::printf("%zu banks of 86 to 1,146 questions, %zu to %zu characters; %d captures a kind\n\n", banks.size(),
              banks.front().bank.text.size(), banks.back().bank.text.size(), perKind);

  std::printf("  %-38s %8s %11s %10s %8s   outcomes\n", "capture", "captures", "found first", "in a hit", "nothing");
  Tally all;
  for (int k = 0; k < kCaptureKinds; ++k) {
    const Capture kind = static_cast<Capture>(k);
    Tally tally;
    for (int i = 0; i < perKind; ++i) {
      const EncodedBank& bank = banks[static_cast<size_t>(i) % banks.size()];
      const BankEntry& entry = PickEntry(random, bank.bank, kind);
      const std::u16string capture = MakeCapture(random, kind, entry.question);
      const Searched s = Search(gbk, bank, capture);
      if (!Within(s.first, entry)) Show("missed", capture, s.result);
      tally.Add(s, entry);
      all.Add(s, entry);
    }
    std::printf("  %-38s %8d %10.1f%% %9.1f%% %7.1f%%   %s\n", CaptureName(kind), tally.captures,
                Percent(tally.first, tally.captures), Percent(tally.anywhere, tally.captures),
                Percent(tally.nothing, tally.captures), OutcomeSummary(tally.outcomes).c_str());
  }
  std::printf("  %-38s %8d %10.1f%% %9.1f%% %7.1f%%\n\n", "all kinds", all.captures, Percent(all.first, all.captures),
              Percent(all.anywhere, all.captures), Percent(all.nothing, all.captures));

  // Questions of other courses, captured in every applicable way.
  int unrelated = 0, falseHits = 0;
  int byKind[kCaptureKinds] = {}, falseByKind[kCaptureKinds] = {};
  int outcomes[kOutcomes] = {};
  const int unrelatedCount = std::max(5000, perKind * 2);
  for (int i = 0; i < unrelatedCount; ++i) {
    const EncodedBank& bank = banks[static_cast<size_t>(i) % banks.size()];
    const int other = (bank.course + 1 + static_cast<int>(Pick(random, Courses().size() - 1))) % static_cast<int>(Courses().size());
    const Question q = MakeQuestion(random, other, static_cast<QuestionType>(Pick(random, 5)));
    Capture kind;
    do kind = static_cast<Capture>(Pick(random, kCaptureKinds)); while (!Applies(kind, q));
    const std::u16string capture = MakeCapture(random, kind, q);
    const Searched s = Search(gbk, bank, capture);
    if (!s.result.hits.empty()) Show("found", capture, s.result);
    ++unrelated;
    ++byKind[static_cast<int>(kind)];
    ++outcomes[std::min(static_cast<int>(s.result.outcome), kOutcomes - 1)];
    if (!s.result.hits.empty()) {
      ++falseHits;
      ++falseByKind[static_cast<int>(kind)];
    }
  }
  std::printf("questions from other courses: %d, something found for %d (%.2f%%)   %s\n", unrelated, falseHits,
              Percent(falseHits, unrelated), OutcomeSummary(outcomes).c_str());
  for (int k = 0; k < kCaptureKinds; ++k) {
    if (falseByKind[k]) std::printf("  %-38s %d of %d\n", CaptureName(static_cast<Capture>(k)), falseByKind[k], byKind[k]);
  }

  // One search's time and memory, over a mix of every kind and one in ten
  // unrelated questions.
  std::printf("\none search (the mix of every kind, one in ten from another course):\n");
  EncodedBank middle;
  middle.course = 7;
  for (int count = 1100; middle.bank.text.size() < 110000; count += 50) {
    Random bankRandom(7);
    middle.bank = MakeBank(bankRandom, 7, count);
  }
  middle.gbk = gbk.Encode(middle.bank.text);
  Timings(gbk, random, middle, 2000);

  // 1 MB in GBK: several courses' banks one after another.
  EncodedBank large;
  large.course = 0;
  for (int c = 0; large.gbk.size() < (size_t{1} << 20); c = (c + 1) % 8) {
    const Bank part = MakeBank(random, c, 1000);
    const long long offset = BoxLength(large.bank.text);
    for (BankEntry e : part.entries) {
      e.boxStart += offset;
      e.boxEnd += offset;
      large.bank.entries.push_back(e);
    }
    large.bank.text += part.text;
    large.gbk = gbk.Encode(large.bank.text);
  }
  // Only the time counts here: the questions "from another course" are new ones.
  large.course = 8;
  Timings(gbk, random, large, 600);
  return 0;
}
