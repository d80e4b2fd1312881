#include "CallLog.h"

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <mutex>

#include "Exports.h"
#include "View.h"
#include "platform/Handles.h"

namespace {

std::mutex logMutex;
std::wstring callLog;
std::wstring logSnapshot;

// When the environment names a file in WKE_STANDIN_LOG, every line of the log
// also goes there, as UTF-8, written through at once: a test in another process
// follows the calls of a program that knows nothing of it.
HANDLE LogFile() {
  static const KernelHandle file = [] {
    wchar_t path[MAX_PATH];
    const DWORD length = GetEnvironmentVariableW(L"WKE_STANDIN_LOG", path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return KernelHandle();
    const HANDLE opened = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    return KernelHandle(opened == INVALID_HANDLE_VALUE ? nullptr : opened);
  }();
  return file.Get();
}

void AppendToLogFile(const std::wstring& line) {
  const HANDLE file = LogFile();
  if (!file) return;
  const std::wstring withEnd = line + L"\n";
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, withEnd.data(), static_cast<int>(withEnd.size()), nullptr, 0,
                                        nullptr, nullptr);
  std::string utf8(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, withEnd.data(), static_cast<int>(withEnd.size()), utf8.data(), bytes, nullptr,
                      nullptr);
  DWORD written = 0;
  WriteFile(file, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
}

}  // namespace

void Log(const std::wstring& line) {
  std::lock_guard<std::mutex> lock(logMutex);
  // A host polling the dirty flag for hours must not grow the log without end.
  if (callLog.size() > (1u << 22)) callLog.erase(0, callLog.size() / 2);
  callLog += line;
  callLog += L'\n';
  AppendToLogFile(line);
}

std::wstring V(WkeView handle) {
  const View* view = Find(handle);
  if (view) return L"#" + std::to_wstring(view->id);
  return handle ? L"#?" : L"#0";
}

std::wstring F(float value) {
  wchar_t buffer[32];
  swprintf(buffer, 32, L"%g", static_cast<double>(value));
  return buffer;
}
std::wstring P(const void* pointer) {
  wchar_t buffer[32];
  swprintf(buffer, 32, L"0x%llx", static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(pointer)));
  return buffer;
}

void LogCall(const wchar_t* name, std::initializer_list<std::wstring> arguments) {
  std::wstring line = name;
  line += L'(';
  bool first = true;
  for (const std::wstring& argument : arguments) {
    if (!first) line += L", ";
    line += argument;
    first = false;
  }
  Log(line + L')');
}

// The stand-in's own export, never called by the host: every call received since
// the last clearing, one a line. The text stays valid until the next call.
STANDIN_EXPORT const wchar_t* WKE_CALL standinCallLog(int clear) {
  std::lock_guard<std::mutex> lock(logMutex);
  logSnapshot = callLog;
  if (clear) callLog.clear();
  return logSnapshot.c_str();
}
