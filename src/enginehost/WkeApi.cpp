#include "enginehost/WkeApi.h"

#include <string>

#include "enginehost/EngineLoadMessage.h"
#include "enginehost/WideText.h"

namespace {

[[noreturn]] void EndWithEngineMessage(const char* entryPoint) {
  const WideText message = ToWide(EngineLoadMessage(kEngineLibrary, entryPoint).c_str());
  MessageBoxW(nullptr, message.data(), nullptr, MB_OK | MB_ICONERROR);
  ExitProcess(static_cast<UINT>(-1));
}

std::wstring ProgramFolder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);
  }
  return path.substr(0, path.find_last_of(L"\\/") + 1);
}

HMODULE LoadEngineLibrary() {
  const std::wstring name = ProgramFolder() + L"wke.dll";
  // The library's own dependencies are then looked for beside it as well.
  HMODULE library = LoadLibraryExW(name.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  if (!library) library = LoadLibraryW(L"wke.dll");
  return library;
}

// The library stays loaded until the process ends: the engine's threads and the
// callbacks it holds must not outlive its code, so nothing ever frees it.
HMODULE EngineLibrary() {
  static const HMODULE library = LoadEngineLibrary();
  return library;
}

// Where an entry point is; never returns without one.
FARPROC EntryPoint(const char* name) {
  const HMODULE library = EngineLibrary();
  const FARPROC entry = library ? GetProcAddress(library, name) : nullptr;
  if (!entry) EndWithEngineMessage(name);
  return entry;
}

template <typename Entry>
Entry EntryPointAs(const char* name) {
  return reinterpret_cast<Entry>(reinterpret_cast<void (*)()>(EntryPoint(name)));
}

}  // namespace

#define WKE_DEFINE_ENTRY(result, name, parameters, arguments)                    \
  result name parameters {                                                       \
    using Entry = result(WKE_CALL*) parameters;                                  \
    static const Entry entry = EntryPointAs<Entry>(#name);                        \
    return entry arguments;                                                      \
  }
WKE_ENTRY_POINTS(WKE_DEFINE_ENTRY)
#undef WKE_DEFINE_ENTRY
