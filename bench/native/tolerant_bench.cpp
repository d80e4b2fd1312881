// The tolerant search's matching cost on a generated 1 MB answer bank of mixed
// Chinese and ASCII lines: the folded match and the closest passage for a
// 50- and a 300-character question, and the memory the search takes beyond the
// bank's own text. Native, no box: the formatting cost is search_bench's.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <random>
#include <string>
#include <vector>

#include "answerbank/search/TolerantSearch.h"
#include "counting_allocator.h"

namespace {

using Clock = std::chrono::steady_clock;

// Characters the generated lines are made of: common Chinese characters, the
// punctuation of test papers, and ASCII.
const std::u16string kHan =
    u"的一是在不了有和人这中大为上个国我以要他时来用们生到作地于出就分对成会可主发年动同工也能下过子说产种面而方后"
    u"多定行学法所民得经十三之进着等部度家电力里如水化高自二理起小物现实加量都两体制机当使点从业本去把性好应开它合"
    u"还因由其些然前外天政四日那社义事平形相全表间样与关各重新线内数正心反你明看原又么利比或但质气第向道命此变条只";

// One exercise: the question, its options and its answer, each on a line.
std::u16string MakeExercise(std::mt19937& random, int number) {
  auto han = [&](int count) {
    std::u16string s;
    for (int i = 0; i < count; ++i) s += kHan[random() % kHan.size()];
    return s;
  };
  std::u16string digits;
  for (int n = number + 1; n > 0; n /= 10) digits.insert(digits.begin(), static_cast<char16_t>(u'0' + n % 10));
  std::u16string exercise = digits + u". ";
  switch (random() % 3) {
    case 0: exercise += han(10) + u"，" + han(6) + u"的是（  ）\r\n"; break;
    case 1: exercise += u"“" + han(4) + u"”" + han(8) + u"（2018年）？\r\n"; break;
    default: exercise += u"Windows " + han(9) + u"；" + han(5) + u"：\r\n";
  }
  exercise += u"A. " + han(3) + u"  B. " + han(4) + u"\r\nC. " + han(2) + u"  D. " + han(4) + u"\r\n";
  return exercise + u"答案：" + std::u16string(1, static_cast<char16_t>(u'A' + random() % 4)) + u"\r\n";
}

// GBK-sized: a Chinese character two bytes, ASCII one.
size_t GbkBytes(const std::u16string& text) {
  size_t bytes = 0;
  for (char16_t c : text) bytes += c < 0x80 ? 1 : 2;
  return bytes;
}

struct Run {
  double bestMs;
  TolerantResult result;
  size_t extraBytes;
};

Run Time(const std::u16string& bank, const std::u16string& question, int repeats) {
  Run run{1e9, {}, 0};
  for (int i = 0; i < repeats; ++i) {
    const size_t before = counting::liveBytes;
    counting::peakBytes = counting::liveBytes;
    const auto start = Clock::now();
    TolerantResult result = TolerantSearch(bank, question);
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    run.extraBytes = std::max(run.extraBytes, counting::peakBytes - before);
    if (ms < run.bestMs) run.bestMs = ms;
    run.result = std::move(result);
  }
  return run;
}

const char* OutcomeName(TolerantOutcome outcome) {
  switch (outcome) {
    case TolerantOutcome::Folded: return "folded match";
    case TolerantOutcome::Closest: return "closest passage";
    case TolerantOutcome::Stopped: return "stopped";
    default: return "not found";
  }
}

// The bank's characters from `at`, as a drag over a page would bring them:
// line breaks and spaces inserted, ASCII letters full-width, commas English.
std::u16string Captured(const std::u16string& bank, size_t at, size_t characters) {
  std::u16string question;
  size_t taken = 0;
  for (size_t i = at; taken < characters; ++i) {
    char16_t c = bank[i];
    if (c == u'\r' || c == u'\n' || c == u' ') continue;
    if (c >= u'A' && c <= u'z') c = static_cast<char16_t>(c + 0xFEE0);
    if (c == u'，') c = u',';
    question += c;
    if (++taken % 17 == 0) question += u"\r\n ";
  }
  return question;
}

// The same with one character in 25 changed and one in 50 left out: nothing
// matches after folding, the passage is within reach.
std::u16string Misremembered(std::u16string question) {
  std::u16string out;
  size_t letter = 0;
  for (char16_t c : question) {
    if (c == u'\r' || c == u'\n' || c == u' ') continue;
    ++letter;
    if (letter % 50 == 25) continue;
    out += letter % 25 == 12 ? u'错' : c;
  }
  return out;
}

void Report(const char* what, const std::u16string& bank, const std::u16string& question, int repeats) {
  const Run run = Time(bank, question, repeats);
  std::printf("  %-34s %8.1f ms   %-15s %5zu hits", what, run.bestMs, OutcomeName(run.result.outcome),
              run.result.hits.size());
  if (run.result.outcome == TolerantOutcome::Closest) {
    std::printf("  distance %d, similarity %d%%", run.result.distance, run.result.similarity);
  }
  std::printf("   extra memory %zu bytes = %.3f bytes a bank character\n", run.extraBytes,
              static_cast<double>(run.extraBytes) / static_cast<double>(bank.size()));
}

}  // namespace

int main(int argc, char** argv) {
  const size_t targetBytes = argc > 1 ? static_cast<size_t>(std::atol(argv[1])) * 1024 : 1024 * 1024;
  std::mt19937 random(2024);
  std::u16string bank;
  for (int number = 0; GbkBytes(bank) < targetBytes; ++number) bank += MakeExercise(random, number);
  std::printf("answer bank: %zu lines, %zu characters (UTF-16 units), %zu bytes in GBK\n",
              static_cast<size_t>(std::count(bank.begin(), bank.end(), u'\n')), bank.size(), GbkBytes(bank));
  std::printf("best of 5 runs; extra memory is the search's peak beyond the bank's own text\n");

  const size_t middle = bank.size() / 2;
  for (size_t length : {size_t{50}, size_t{300}}) {
    const std::u16string captured = Captured(bank, middle, length);
    const std::string label = std::to_string(length) + " characters";
    Report(("tolerant match, " + label).c_str(), bank, captured, 5);
    Report(("closest passage, " + label).c_str(), bank, Misremembered(captured), 5);
  }
  const std::u16string longest = Misremembered(Captured(bank, middle, 2048));
  Report("closest passage, 2048 characters", bank, longest, 1);
  Report("tolerant match, many hits", bank, u"答案:b", 5);  // 答案：B of a quarter of the exercises
  Report("nothing near, 300 characters", bank, std::u16string(300, u'错'), 5);
  return 0;
}
