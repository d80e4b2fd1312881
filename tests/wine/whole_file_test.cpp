// The whole-file read the notepad and the import share: every byte of files of
// any content, the size limit, who else may hold the file meanwhile, and the
// system's error for what cannot be read.
#include <windows.h>

#include <random>
#include <string>

#include "check.h"
#include "platform/Handles.h"
#include "platform/WholeFile.h"

namespace {

std::wstring Folder() {
  wchar_t buffer[MAX_PATH];
  const DWORD length = GetTempPathW(MAX_PATH, buffer);
  std::wstring folder(buffer, length);
  if (!folder.empty() && folder.back() == L'\\') folder.pop_back();
  return folder;
}

const std::wstring kPath = Folder() + L"\\整个文件 测试.bin";

bool Write(const std::wstring& path, const std::string& bytes) {
  FileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  return file && WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
         written == bytes.size();
}

TEST(EveryByteOfFilesOfAnyContentAndLength) {
  std::mt19937 random(20);
  for (int round = 0; round < 40; ++round) {
    // Zero bytes, stray lead bytes and lengths around the read's pieces alike.
    const size_t length = round == 0 ? 0 : round < 30 ? random() % 5000 : (1u << 24) - 20 + random() % 40;
    std::string bytes(length, '\0');
    for (char& byte : bytes) byte = static_cast<char>(random());
    REQUIRE(Write(kPath, bytes));
    const FileBytes read = ReadWholeFile(kPath, round % 2 ? FileSharing::kAll : FileSharing::kDenyWriters, 1u << 30);
    CHECK_EQ(read.error, uint32_t{0});
    CHECK(read.bytes == bytes);
  }
  DeleteFileW(kPath.c_str());
}

TEST(AFileBeyondTheLimitIsNotRead) {
  REQUIRE(Write(kPath, std::string(1000, 'x')));
  CHECK_EQ(ReadWholeFile(kPath, FileSharing::kAll, 1000).bytes.size(), size_t{1000});
  const FileBytes over = ReadWholeFile(kPath, FileSharing::kAll, 999);
  CHECK_EQ(over.error, uint32_t{ERROR_FILE_TOO_LARGE});
  CHECK(over.bytes.empty());
  DeleteFileW(kPath.c_str());
}

TEST(AWriterElsewhereKeepsOutOnlyTheReaderThatDeniesWriters) {
  REQUIRE(Write(kPath, "另一个程序正在写"));
  {
    const FileHandle writer(CreateFileW(kPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    REQUIRE(static_cast<bool>(writer));
    CHECK_EQ(ReadWholeFile(kPath, FileSharing::kDenyWriters, 1u << 20).error, uint32_t{ERROR_SHARING_VIOLATION});
    const FileBytes shared = ReadWholeFile(kPath, FileSharing::kAll, 1u << 20);
    CHECK_EQ(shared.error, uint32_t{0});
    CHECK_EQ(shared.bytes, std::string("另一个程序正在写"));
  }
  DeleteFileW(kPath.c_str());
}

TEST(WhatCannotBeReadGivesTheSystemsError) {
  CHECK_EQ(ReadWholeFile(Folder() + L"\\没有这个文件.txt", FileSharing::kAll, 100).error, uint32_t{ERROR_FILE_NOT_FOUND});
  CHECK_EQ(ReadWholeFile(Folder() + L"\\没有这个目录\\a.txt", FileSharing::kDenyWriters, 100).error,
           uint32_t{ERROR_PATH_NOT_FOUND});
  // A device opens, but is no file to read whole.
  CHECK_EQ(ReadWholeFile(L"\\\\.\\NUL", FileSharing::kAll, 100).error, uint32_t{ERROR_INVALID_FUNCTION});
}

}  // namespace

CHECK_MAIN()
