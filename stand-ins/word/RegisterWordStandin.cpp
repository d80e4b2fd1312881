// word_standin_register.exe [--remove]: registers the stand-in word processor
// beside this program (WordStandin.dll) under the ProgID "Word.Application",
// and its program of its own (WordStandinServer.exe) as a local server under
// a ProgID of its own, or removes both registrations. Prints what the system
// then finds for the ProgID; exit code 0 when that is the stand-in (or, with
// --remove, nothing).
#include <windows.h>
#include <objbase.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "WordStandin.h"
#include "platform/Handles.h"

namespace {

// Through the merged classes root: Wine's COM looks only at the machine-wide
// classes, not at the per-user ones (Software\Classes of the current user).
const HKEY kClassesRoot = HKEY_CLASSES_ROOT;

bool SetValue(const std::wstring& key, const wchar_t* name, const std::wstring& value) {
  HKEY opened = nullptr;
  if (RegCreateKeyExW(kClassesRoot, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &opened, nullptr) !=
      ERROR_SUCCESS) {
    return false;
  }
  const RegistryKey handle(opened);
  return RegSetValueExW(handle.Get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                        static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

std::wstring BesideThisProgram(const wchar_t* name) {
  wchar_t path[MAX_PATH * 4] = {};
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH * 4);
  std::wstring folder(path, length);
  folder.erase(folder.find_last_of(L"\\/") + 1);
  return folder + name;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const bool remove = argc > 1 && std::wcscmp(argv[1], L"--remove") == 0;
  const std::wstring progIdKey = std::wstring(kWordStandinProgId);
  const std::wstring classKey = std::wstring(L"CLSID\\") + kWordStandinClassIdText;
  const std::wstring serverProgIdKey = std::wstring(kWordStandinServerProgId);
  const std::wstring serverClassKey = std::wstring(L"CLSID\\") + kWordStandinServerClassIdText;
  if (remove) {
    RegDeleteTreeW(kClassesRoot, progIdKey.c_str());
    RegDeleteTreeW(kClassesRoot, classKey.c_str());
    RegDeleteTreeW(kClassesRoot, serverProgIdKey.c_str());
    RegDeleteTreeW(kClassesRoot, serverClassKey.c_str());
  } else {
    const std::wstring dll = BesideThisProgram(kWordStandinDll);
    const std::wstring server = BesideThisProgram(kWordStandinServerExe);
    for (const std::wstring& file : {dll, server}) {
      if (GetFileAttributesW(file.c_str()) == INVALID_FILE_ATTRIBUTES) {
        std::fwprintf(stderr, L"no %ls beside this program\n", file.c_str());
        return 1;
      }
    }
    const bool ok = SetValue(progIdKey, nullptr, L"Word processor stand-in for tests") &&
                    SetValue(progIdKey + L"\\CLSID", nullptr, kWordStandinClassIdText) &&
                    SetValue(classKey, nullptr, L"Word processor stand-in for tests") &&
                    SetValue(classKey + L"\\ProgID", nullptr, kWordStandinProgId) &&
                    SetValue(classKey + L"\\InprocServer32", nullptr, dll) &&
                    SetValue(classKey + L"\\InprocServer32", L"ThreadingModel", L"Apartment") &&
                    SetValue(serverProgIdKey, nullptr, L"Word processor stand-in for tests, local server") &&
                    SetValue(serverProgIdKey + L"\\CLSID", nullptr, kWordStandinServerClassIdText) &&
                    SetValue(serverClassKey, nullptr, L"Word processor stand-in for tests, local server") &&
                    SetValue(serverClassKey + L"\\ProgID", nullptr, kWordStandinServerProgId) &&
                    SetValue(serverClassKey + L"\\LocalServer32", nullptr, L"\"" + server + L"\" /Automation");
    if (!ok) {
      std::fwprintf(stderr, L"writing the registration failed\n");
      return 1;
    }
    std::wprintf(L"registered %ls\n", dll.c_str());
  }

  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  CLSID found{};
  const HRESULT hr = CLSIDFromProgID(kWordStandinProgId, &found);
  const bool isStandin = SUCCEEDED(hr) && IsEqualCLSID(found, kWordStandinClassId);
  std::wprintf(L"%ls -> %ls (0x%08lx)\n", kWordStandinProgId,
               isStandin ? kWordStandinClassIdText : SUCCEEDED(hr) ? L"another class" : L"nothing",
               static_cast<unsigned long>(hr));
  CoUninitialize();
  return remove ? (SUCCEEDED(hr) ? 1 : 0) : (isStandin ? 0 : 1);
}
