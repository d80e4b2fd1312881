// The resources Tavrel.exe carries: its icon in five sizes, the manifest and the version block.
#include <windows.h>

#include <set>
#include <string>
#include <vector>

#include "check.h"

namespace {

std::wstring ProgramPath() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring dir(path);
  return dir.substr(0, dir.find_last_of(L"\\/") + 1) + L"Tavrel.exe";
}

struct Module {
  HMODULE handle = LoadLibraryExW(ProgramPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  ~Module() {
    if (handle) FreeLibrary(handle);
  }
};

std::vector<unsigned char> Resource(HMODULE module, const wchar_t* type, const wchar_t* name) {
  HRSRC found = FindResourceW(module, name, type);
  if (!found) return {};
  const auto* data = static_cast<const unsigned char*>(LockResource(LoadResource(module, found)));
  return std::vector<unsigned char>(data, data + SizeofResource(module, found));
}

#pragma pack(push, 2)
struct IconGroupEntry {
  BYTE width, height, colours, reserved;
  WORD planes, bitCount;
  DWORD bytes;
  WORD id;
};
#pragma pack(pop)

TEST(IconHasTheFiveSizes) {
  Module program;
  CHECK(program.handle != nullptr);
  const auto group = Resource(program.handle, RT_GROUP_ICON, MAKEINTRESOURCEW(1));
  CHECK(group.size() >= 6);
  if (group.size() < 6) return;
  const WORD count = *reinterpret_cast<const WORD*>(&group[4]);
  CHECK_EQ(static_cast<int>(count), 5);
  std::set<int> sizes;
  for (WORD i = 0; i < count && 6 + (i + 1) * sizeof(IconGroupEntry) <= group.size(); ++i) {
    const auto* entry = reinterpret_cast<const IconGroupEntry*>(&group[6 + i * sizeof(IconGroupEntry)]);
    sizes.insert(entry->width == 0 ? 256 : entry->width);
    CHECK_EQ(static_cast<int>(entry->bitCount), 32);
  }
  CHECK(sizes == (std::set<int>{16, 32, 48, 64, 128}));
  HICON large = static_cast<HICON>(LoadImageW(program.handle, MAKEINTRESOURCEW(1), IMAGE_ICON, 128, 128, 0));
  CHECK(large != nullptr);
  if (large) DestroyIcon(large);
}

TEST(ManifestAsksForCommonControls6AndNoElevation) {
  Module program;
  const auto manifest = Resource(program.handle, RT_MANIFEST, MAKEINTRESOURCEW(1));
  const std::string text(manifest.begin(), manifest.end());
  CHECK(text.find("Microsoft.Windows.Common-Controls") != std::string::npos);
  CHECK(text.find("version=\"6.0.0.0\"") != std::string::npos);
  CHECK(text.find("level=\"asInvoker\"") != std::string::npos);
  // Windows 7 and Windows 10/11 among the supported systems.
  CHECK(text.find("35138b9a-5d96-4fbd-8e2d-a2440225f93a") != std::string::npos);
  CHECK(text.find("8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a") != std::string::npos);
}

TEST(VersionBlockNamesTheProduct) {
  const std::wstring path = ProgramPath();
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
  CHECK(size > 0);
  if (!size) return;
  std::vector<unsigned char> block(size);
  CHECK(GetFileVersionInfoW(path.c_str(), 0, size, block.data()));
  wchar_t* product = nullptr;
  UINT length = 0;
  CHECK(VerQueryValueW(block.data(), L"\\StringFileInfo\\080404b0\\ProductName", reinterpret_cast<void**>(&product),
                       &length));
  CHECK_EQ(std::wstring(product ? product : L""), std::wstring(L"Tavrel"));
  VS_FIXEDFILEINFO* fixed = nullptr;
  CHECK(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  if (fixed) {
    CHECK_EQ(HIWORD(fixed->dwFileVersionMS), 2018u);
    CHECK_EQ(LOWORD(fixed->dwFileVersionMS), 3u);
    CHECK_EQ(HIWORD(fixed->dwFileVersionLS), 30u);
  }
}

}  // namespace

CHECK_MAIN()
