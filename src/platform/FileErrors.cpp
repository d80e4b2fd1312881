#include "platform/FileErrors.h"

std::string FailureReason(uint32_t error) {
  using namespace fileerror;
  switch (error) {
    case kFileNotFound:
      return "文件不存在";
    case kPathNotFound:
      return "文件夹不存在";
    case kAccessDenied:
      return "文件只读或无权访问";
    case kNotEnoughMemory:
      return "内存不足";
    case kWriteProtect:
      return "磁盘写保护";
    case kWriteFault:
      return "无法写入";
    case kSharingViolation:
    case kLockViolation:
      return "文件被其他程序占用";
    case kHandleDiskFull:
    case kDiskFull:
      return "磁盘已满";
    case kFileTooLarge:
      return "文件过大";
    default:
      return "错误代码 " + std::to_string(error);
  }
}
