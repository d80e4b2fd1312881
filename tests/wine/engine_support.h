// Helpers for the tests that drive the stand-in engine library through the
// program's engine interface.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "check.h"
#include "enginehost/WkeApi.h"
#include "test_window.h"

namespace engine_test {

// The stand-in's own log as it stands; the engine library must be loaded
// already (any entry point call loads it).
inline std::wstring StandinLog(bool clear) {
  using LogEntry = const wchar_t*(WKE_CALL*)(int);
  static const LogEntry entry = reinterpret_cast<LogEntry>(
      reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleW(L"wke.dll"), "standinCallLog")));
  if (!entry) return L"(no stand-in call log)";
  return entry(clear ? 1 : 0);
}

// Entries already taken from the stand-in's log that CallLog has not returned
// yet (see view_test::RepaintsSetAside).
inline std::wstring& HeldEntries() {
  static std::wstring held;
  return held;
}

// The calls since the last clearing.
inline std::wstring CallLog(bool clear = true) {
  std::wstring log = HeldEntries() + StandinLog(clear);
  if (clear) HeldEntries().clear();
  return log;
}

inline void ClearLog() { CallLog(true); }

// Fails with the whole log when `needle` is not in it.
inline bool LogHas(const std::wstring& log, const std::wstring& needle, const char* file, int line) {
  if (log.find(needle) != std::wstring::npos) return true;
  check::Fail(file, line, "call log lacks " + check::Show(needle) + "\n      log: " + check::Show(log));
  return false;
}
inline bool LogLacks(const std::wstring& log, const std::wstring& needle, const char* file, int line) {
  if (log.find(needle) == std::wstring::npos) return true;
  check::Fail(file, line, "call log has " + check::Show(needle) + "\n      log: " + check::Show(log));
  return false;
}
#define CHECK_LOG_HAS(log, needle) engine_test::LogHas((log), (needle), __FILE__, __LINE__)
#define CHECK_LOG_LACKS(log, needle) engine_test::LogLacks((log), (needle), __FILE__, __LINE__)

// A view of the stand-in, initialised once per test program, destroyed with the guard.
class ScopedView {
 public:
  ScopedView(int width = 320, int height = 200) {
    static const bool initialised = (wkeInitialize(), true);
    (void)initialised;
    view_ = wkeCreateWebView();
    if (view_) wkeResize(view_, width, height);
  }
  ~ScopedView() {
    if (view_) wkeDestroyWebView(view_);
  }
  ScopedView(const ScopedView&) = delete;
  ScopedView& operator=(const ScopedView&) = delete;
  WkeView Get() const { return view_; }

 private:
  WkeView view_ = nullptr;
};

inline std::wstring Hex(const void* pointer) {
  wchar_t buffer[32];
  swprintf(buffer, 32, L"0x%llx", static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(pointer)));
  return buffer;
}

inline std::wstring WideOf(const std::string& gbk) {
  if (gbk.empty()) return {};
  const int units = MultiByteToWideChar(936, 0, gbk.data(), static_cast<int>(gbk.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(units), L'\0');
  MultiByteToWideChar(936, 0, gbk.data(), static_cast<int>(gbk.size()), wide.data(), units);
  return wide;
}

using ::Pump;

}  // namespace engine_test
