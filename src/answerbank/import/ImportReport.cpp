#include "answerbank/import/ImportReport.h"

#include "platform/FileErrors.h"

namespace {

// A limit in UTF-16 units as Chinese readers count text: in 万 (ten thousand) characters.
std::string TenThousands(size_t units) { return std::to_string(units / 10000) + " 万字"; }

}  // namespace

ImportFailure FailureOfReading(const DocumentReadResult& result, bool wordStarted) {
  switch (result.outcome) {
    case DocumentReadOutcome::kMissing:
      return ImportFailure::kMissing;
    case DocumentReadOutcome::kUnreadable:
      return ImportFailure::kUnreadable;
    case DocumentReadOutcome::kEmpty:
      return ImportFailure::kEmpty;
    case DocumentReadOutcome::kTooLarge:
      return result.archiveError == ZipError::kTooLarge ? ImportFailure::kZipBomb : ImportFailure::kTooLarge;
    case DocumentReadOutcome::kBrokenArchive:
      return ImportFailure::kBrokenArchive;
    case DocumentReadOutcome::kBrokenDocument:
      return ImportFailure::kBrokenDocument;
    case DocumentReadOutcome::kNeedsWord:
    case DocumentReadOutcome::kLoaded:
      break;
  }
  return wordStarted ? ImportFailure::kWordCannotOpen : ImportFailure::kNoWord;
}

std::string FailureClause(const FileFailure& f, size_t maxUnits) {
  const std::string& name = f.fileName;
  switch (f.failure) {
    case ImportFailure::kMissing:
      return "找不到文件 " + name;
    case ImportFailure::kUnreadable:
      return "无法打开 " + name + (f.systemError ? "（" + FailureReason(f.systemError) + "）" : std::string());
    case ImportFailure::kEmpty:
      return name + " 里没有文字";
    case ImportFailure::kTooLarge:
      return name + " 太大，答案库最多载入 " + TenThousands(maxUnits);
    case ImportFailure::kZipBomb:
      return name + " 解压后过大，可能是恶意的压缩文件";
    case ImportFailure::kBrokenArchive:
      return name + " 已损坏，无法解压";
    case ImportFailure::kBrokenDocument:
      return name + " 已损坏，文档内容无法读取";
    case ImportFailure::kNoWord:
      return "没有找到 Word，无法读取 " + name;
    case ImportFailure::kWordCannotOpen:
      return "Word 无法打开 " + name;
    case ImportFailure::kClipboardBusy:
      return "剪贴板被其他程序占用，无法用 Word 读取 " + name;
    case ImportFailure::kClipboardInUse:
      return "剪贴板正被另一项操作使用，无法用 Word 读取 " + name;
    case ImportFailure::kClipboardTooLarge:
      return "剪贴板里的内容太大，无法暂存，为免丢失没有用 Word 读取 " + name;
    case ImportFailure::kWordCopiedNothing:
      return "Word 没有复制出 " + name + " 的内容";
    case ImportFailure::kWordCopiedNoText:
      return "Word 复制的 " + name + " 里没有文字";
    case ImportFailure::kDropTooLarge:
      return "加上 " + name + " 就超过答案库最多载入的 " + TenThousands(maxUnits);
  }
  return "无法载入 " + name;
}

std::string ImportFailureReport(const std::vector<FileFailure>& failures, size_t maxUnits) {
  if (failures.empty()) return {};
  std::string report = "载入失败：";
  for (size_t i = 0; i < failures.size(); ++i) {
    if (i > 0) report += "；";
    report += FailureClause(failures[i], maxUnits);
  }
  return report;
}
