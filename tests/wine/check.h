// A small test framework for the Win32 tests that run under Wine.
// Each TEST registers itself; CHECK_* print the failing values and the line,
// and the case goes on; REQUIRE_* also end the case, for checks that the lines
// after them depend on. A crash ends the program at once, reported with the
// running case, the exception and its address.
#pragma once
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <exception>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace check {

struct Case {
  const char* name;
  std::function<void()> body;
};

inline std::vector<Case>& Cases() {
  static std::vector<Case> cases;
  return cases;
}

inline int& Failures() {
  static int failures = 0;
  return failures;
}

struct Registrar {
  Registrar(const char* name, std::function<void()> body) { Cases().push_back({name, std::move(body)}); }
};

template <typename T>
std::string Show(const T& value) {
  std::ostringstream out;
  out << value;
  return out.str();
}

// Texts may hold GBK or binary bytes: show anything outside printable ASCII as \xNN.
inline std::string Show(const std::string& value) {
  std::string out = "\"";
  for (unsigned char c : value) {
    if (c >= 0x20 && c < 0x7F && c != '\\' && c != '"') {
      out += static_cast<char>(c);
    } else {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\x%02X", c);
      out += buf;
    }
  }
  return out + "\"";
}
template <typename A, typename B>
std::string Show(const std::pair<A, B>& value) {
  return "(" + Show(value.first) + ", " + Show(value.second) + ")";
}
inline std::string Show(const char* value) { return Show(std::string(value ? value : "(null)")); }
inline std::string Show(const std::wstring& value) {
  std::string out = "L\"";
  for (wchar_t c : value) {
    char buf[12];
    if (c >= 0x20 && c < 0x7F) {
      out += static_cast<char>(c);
    } else {
      std::snprintf(buf, sizeof buf, "\\u%04X", static_cast<unsigned>(c));
      out += buf;
    }
  }
  return out + "\"";
}

template <typename T>
std::string Show(const std::vector<T>& values) {
  std::string out = "{";
  for (size_t i = 0; i < values.size(); ++i) out += (i ? ", " : "") + Show(values[i]);
  return out + "}";
}

inline void Fail(const char* file, int line, const std::string& what) {
  ++Failures();
  std::printf("  FAIL %s:%d: %s\n", file, line, what.c_str());
  std::fflush(stdout);
}

template <typename A, typename B>
bool Equal(const A& actual, const B& expected, const char* actualText, const char* expectedText, const char* file,
           int line) {
  if (actual == expected) return true;
  Fail(file, line,
       std::string(actualText) + " == " + expectedText + "\n      actual:   " + Show(actual) +
           "\n      expected: " + Show(expected));
  return false;
}

inline const char*& RunningCase() {
  static const char* running = nullptr;
  return running;
}

// The exit code of a program that crashed.
constexpr UINT kCrashExitCode = 3;

// Reports an exception nothing handled and ends the program there and then: a
// debugger that waits for someone would hold the test run until its timeout.
// Written straight to the output handle, without the C runtime, whose locks the
// crashed thread may hold.
inline LONG WINAPI ReportCrash(EXCEPTION_POINTERS* exception) {
  const EXCEPTION_RECORD& record = *exception->ExceptionRecord;
  char text[320];
  int length = std::snprintf(text, sizeof text, "  CRASH in %s: exception 0x%08lX at address 0x%llX",
                             RunningCase() ? RunningCase() : "(no test case)",
                             static_cast<unsigned long>(record.ExceptionCode),
                             static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(record.ExceptionAddress)));
  if (record.ExceptionCode == EXCEPTION_ACCESS_VIOLATION && record.NumberParameters >= 2 && length > 0 &&
      length < static_cast<int>(sizeof text)) {
    const ULONG_PTR kind = record.ExceptionInformation[0];
    length += std::snprintf(text + length, sizeof text - length, " (%s of 0x%llX)",
                            kind == 0 ? "read" : kind == 1 ? "write" : "execution",
                            static_cast<unsigned long long>(record.ExceptionInformation[1]));
  }
  if (length < 0 || length >= static_cast<int>(sizeof text) - 1) length = static_cast<int>(sizeof text) - 2;
  text[length++] = '\n';
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text, static_cast<DWORD>(length), &written, nullptr);
  TerminateProcess(GetCurrentProcess(), kCrashExitCode);
  return EXCEPTION_EXECUTE_HANDLER;
}

inline int RunAll() {
  SetUnhandledExceptionFilter(&ReportCrash);
  int failedCases = 0;
  for (const Case& c : Cases()) {
    const int before = Failures();
    std::printf("[ RUN  ] %s\n", c.name);
    std::fflush(stdout);
    RunningCase() = c.name;
    try {
      c.body();
    } catch (const std::exception& e) {
      Fail(__FILE__, __LINE__, std::string("the case threw: ") + e.what());
    } catch (...) {
      Fail(__FILE__, __LINE__, "the case threw something that is not a std::exception");
    }
    RunningCase() = nullptr;
    const bool ok = Failures() == before;
    if (!ok) ++failedCases;
    std::printf("[ %s ] %s\n", ok ? " OK " : "FAIL", c.name);
    std::fflush(stdout);
  }
  const int total = static_cast<int>(Cases().size());
  std::printf("%d passed, %d failed\n", total - failedCases, failedCases);
  return failedCases == 0 ? 0 : 1;
}

}  // namespace check

#define CHECK_CONCAT2(a, b) a##b
#define CHECK_CONCAT(a, b) CHECK_CONCAT2(a, b)
#define TEST(name)                                                                 \
  static void name();                                                              \
  static check::Registrar CHECK_CONCAT(registrar_, name)(#name, name);             \
  static void name()

#define CHECK(cond) \
  ((cond) ? true : (check::Fail(__FILE__, __LINE__, "CHECK(" #cond ")"), false))
#define CHECK_EQ(actual, expected) check::Equal((actual), (expected), #actual, #expected, __FILE__, __LINE__)
// The same, but a failure also ends the case (it returns from the function it is
// in: use them in a TEST's own body).
#define REQUIRE(cond)                                          \
  do {                                                         \
    if (!(cond)) {                                             \
      check::Fail(__FILE__, __LINE__, "REQUIRE(" #cond ")");   \
      return;                                                  \
    }                                                          \
  } while (0)
#define REQUIRE_EQ(actual, expected)         \
  do {                                       \
    if (!CHECK_EQ(actual, expected)) return; \
  } while (0)

// Defines main() for a test program: include once, in one file of each test exe.
#define CHECK_MAIN() \
  int main() { return check::RunAll(); }
