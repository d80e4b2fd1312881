// A small test framework for the Win32 tests that run under Wine.
// Each TEST registers itself; CHECK_* print the failing values and the line.
#pragma once
#include <cstdio>
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

inline int RunAll() {
  int failedCases = 0;
  for (const Case& c : Cases()) {
    const int before = Failures();
    std::printf("[ RUN  ] %s\n", c.name);
    std::fflush(stdout);
    c.body();
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

// Defines main() for a test program: include once, in one file of each test exe.
#define CHECK_MAIN() \
  int main() { return check::RunAll(); }
