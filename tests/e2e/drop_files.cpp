// drop_files.exe: drags files (or text) onto whatever window lies under a
// screen point, through OLE, as the shell would when the user drops them:
//
//   drop_files.exe <x> <y> <path>...      a CF_HDROP list of the paths
//   drop_files.exe <x> <y> <path>... --then <path>...
//                                          a second drop half a second after the first
//   drop_files.exe <x> <y> --text <text>  Unicode text instead of files
//
// Prints one JSON line: the DoDragDrop result and the effect the target chose
// (of the last drop).
#include <windows.h>
#include <ole2.h>
#include <shellapi.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "file_drag.h"

int wmain(int argc, wchar_t** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: drop_files <x> <y> <path>... | --text <text>\n");
    return 2;
  }
  const int x = _wtoi(argv[1]);
  const int y = _wtoi(argv[2]);
  OleInitialize(nullptr);
  filedrag::DragResult result;
  if (std::wcscmp(argv[3], L"--text") == 0) {
    result = filedrag::DragText(argc > 4 ? argv[4] : L"", x, y);
  } else {
    // Each group of paths is one drop. The next follows after a pause: long
    // enough for the target to have begun with the last one, short enough to
    // come in the middle of any long work it does with it.
    constexpr DWORD kPauseMs = 500;
    std::vector<std::wstring> group;
    for (int i = 3; i <= argc; ++i) {
      if (i < argc && std::wcscmp(argv[i], L"--then") != 0) {
        group.emplace_back(argv[i]);
        continue;
      }
      result = filedrag::DragFiles(group, x, y);
      if (FAILED(result.hr) || i == argc) break;
      group.clear();
      Sleep(kPauseMs);
    }
  }
  OleUninitialize();
  std::printf("{\"hr\": %ld, \"effect\": %lu}\n", static_cast<long>(result.hr),
              static_cast<unsigned long>(result.effect));
  return SUCCEEDED(result.hr) ? 0 : 4;
}
