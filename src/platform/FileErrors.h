// System error numbers in words, for the status lines that say why a file
// could not be read or written. No Windows header: the numbers are spelled
// here, and the Win32 side checks that they match the system's.
#pragma once
#include <cstdint>
#include <string>

namespace fileerror {
constexpr uint32_t kFileNotFound = 2;
constexpr uint32_t kPathNotFound = 3;
constexpr uint32_t kAccessDenied = 5;
constexpr uint32_t kNotEnoughMemory = 8;
constexpr uint32_t kWriteProtect = 19;
constexpr uint32_t kWriteFault = 29;
constexpr uint32_t kSharingViolation = 32;
constexpr uint32_t kLockViolation = 33;
constexpr uint32_t kHandleDiskFull = 39;
constexpr uint32_t kDiskFull = 112;
constexpr uint32_t kFileTooLarge = 223;
}  // namespace fileerror

// A short Chinese reason for a system error number; the number itself for the rest.
std::string FailureReason(uint32_t error);
