// Reading a whole file into memory, for the notepad's "读取" and the import of
// a dropped file alike.
#pragma once
#include <cstdint>
#include <string>

// Who else may use the file while it is read.
enum class FileSharing {
  kDenyWriters,  // readers only: no one changes the bytes halfway through
  kAll,          // also writers and deleters: a file another program keeps open still reads
};

// The whole file, or a system error number (platform/FileErrors.h words it).
struct FileBytes {
  uint32_t error = 0;
  std::string bytes;
};

// Reads every byte of `path`. A file beyond `maxBytes`, or one that is not on a
// disk (a pipe, a device), is not read: ERROR_FILE_TOO_LARGE, and
// ERROR_INVALID_FUNCTION. Memory that cannot be had gives ERROR_NOT_ENOUGH_MEMORY.
// A file that shrinks while it is read gives the bytes that were there.
FileBytes ReadWholeFile(const std::wstring& path, FileSharing sharing, uint64_t maxBytes);
