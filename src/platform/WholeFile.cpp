#include "platform/WholeFile.h"

#include <windows.h>

#include <algorithm>
#include <new>

#include "platform/FileErrors.h"
#include "platform/Handles.h"

static_assert(fileerror::kFileNotFound == ERROR_FILE_NOT_FOUND && fileerror::kPathNotFound == ERROR_PATH_NOT_FOUND &&
              fileerror::kAccessDenied == ERROR_ACCESS_DENIED && fileerror::kNotEnoughMemory == ERROR_NOT_ENOUGH_MEMORY &&
              fileerror::kWriteProtect == ERROR_WRITE_PROTECT && fileerror::kWriteFault == ERROR_WRITE_FAULT &&
              fileerror::kSharingViolation == ERROR_SHARING_VIOLATION &&
              fileerror::kLockViolation == ERROR_LOCK_VIOLATION && fileerror::kHandleDiskFull == ERROR_HANDLE_DISK_FULL &&
              fileerror::kDiskFull == ERROR_DISK_FULL && fileerror::kFileTooLarge == ERROR_FILE_TOO_LARGE);

namespace {

// The largest piece one ReadFile moves.
constexpr DWORD kChunkBytes = 1u << 24;

FileBytes Failure(DWORD error) {
  FileBytes result;
  result.error = error != 0 ? error : ERROR_READ_FAULT;
  return result;
}

}  // namespace

FileBytes ReadWholeFile(const std::wstring& path, FileSharing sharing, uint64_t maxBytes) {
  const DWORD share =
      sharing == FileSharing::kAll ? FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE : FILE_SHARE_READ;
  const FileHandle file(
      CreateFileW(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file) return Failure(GetLastError());
  if (GetFileType(file.Get()) != FILE_TYPE_DISK) return Failure(ERROR_INVALID_FUNCTION);
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.Get(), &size)) return Failure(GetLastError());
  if (static_cast<uint64_t>(size.QuadPart) > maxBytes || static_cast<uint64_t>(size.QuadPart) > SIZE_MAX / 2) {
    return Failure(ERROR_FILE_TOO_LARGE);
  }
  FileBytes result;
  try {
    result.bytes.resize(static_cast<size_t>(size.QuadPart));
  } catch (const std::bad_alloc&) {
    return Failure(ERROR_NOT_ENOUGH_MEMORY);
  }
  size_t done = 0;
  while (done < result.bytes.size()) {
    const DWORD piece = static_cast<DWORD>(std::min<size_t>(result.bytes.size() - done, kChunkBytes));
    DWORD read = 0;
    if (!ReadFile(file.Get(), result.bytes.data() + done, piece, &read, nullptr)) return Failure(GetLastError());
    if (read == 0) break;  // the file became shorter meanwhile
    done += read;
  }
  result.bytes.resize(done);
  return result;
}
