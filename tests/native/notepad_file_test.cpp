#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "answerbank/notepad/NotepadFile.h"

namespace {

TEST(TextUpToFirstZero, StopsAtTheFirstZeroByte) {
  EXPECT_EQ(TextUpToFirstZero(std::string("ab\0cd", 5)), "ab");
  EXPECT_EQ(TextUpToFirstZero(std::string("\0abc", 4)), "");
  EXPECT_EQ(TextUpToFirstZero(std::string("答案\r\n", 6)), "答案\r\n");
  EXPECT_EQ(TextUpToFirstZero(""), "");
  // A zero that is the second byte of nothing GBK knows still ends the text.
  EXPECT_EQ(TextUpToFirstZero(std::string("\xB4\0\xF0", 3)), "\xB4");
}

TEST(NotepadPathBeside, TheProgramsFolderAndTheFixedName) {
  EXPECT_EQ(NotepadPathBeside(L"C:\\Tools\\Tavrel.exe"), L"C:\\Tools\\我的文件.txt");
  EXPECT_EQ(NotepadPathBeside(L"D:\\考试\\工具\\Tavrel.exe"), L"D:\\考试\\工具\\我的文件.txt");
  EXPECT_EQ(NotepadPathBeside(L"C:\\Tavrel.exe"), L"C:\\我的文件.txt");
  EXPECT_EQ(NotepadPathBeside(L"\\\\server\\share\\t.exe"), L"\\\\server\\share\\我的文件.txt");
}

TEST(TemporaryPathFor, SameFolderAndDistinctNumbers) {
  const std::wstring path = L"C:\\工具\\我的文件.txt";
  const std::wstring a = TemporaryPathFor(path, 0x1234abcdu);
  EXPECT_EQ(a, L"C:\\工具\\我的文件.txt.1234abcd.tmp");
  EXPECT_NE(TemporaryPathFor(path, 1), TemporaryPathFor(path, 2));
  EXPECT_EQ(TemporaryPathFor(path, 0), L"C:\\工具\\我的文件.txt.00000000.tmp");
}

TEST(FailureTexts, ReasonsInWordsAndOtherNumbersAsTheyAre) {
  EXPECT_EQ(SaveFailureText(fileerror::kAccessDenied), "保存失败：文件只读或无权访问");
  EXPECT_EQ(SaveFailureText(fileerror::kDiskFull), "保存失败：磁盘已满");
  EXPECT_EQ(SaveFailureText(fileerror::kHandleDiskFull), "保存失败：磁盘已满");
  EXPECT_EQ(SaveFailureText(fileerror::kSharingViolation), "保存失败：文件被其他程序占用");
  EXPECT_EQ(ReadFailureText(fileerror::kFileNotFound), "读取失败：文件不存在");
  EXPECT_EQ(ReadFailureText(1392), "读取失败：错误代码 1392");
}

TEST(SuccessTexts, AsTheNotepadShowsThem) {
  EXPECT_STREQ(kNewNoteDone, "新建成功");
  EXPECT_STREQ(kReadNoteDone, "读取成功");
  EXPECT_STREQ(kSaveNoteDone, "保存成功");
  EXPECT_STREQ(kFormatNoteDone, "文字格式化成功");
}

TEST(NoteLimits, AMillionCharactersFitAndNoFileThatCouldHoldThemIsRefusedUnread) {
  EXPECT_TRUE(NoteTextFits(0));
  EXPECT_TRUE(NoteTextFits(1000000));
  EXPECT_FALSE(NoteTextFits(1000001));
  // A million three-byte UTF-8 characters after a byte order mark.
  EXPECT_EQ(kMaxNoteFileBytes, uint64_t{3000003});
  EXPECT_STREQ(kNoteTooLarge, "读取失败：文件太大，记事本最多显示 100 万字");
}

// A folder in memory that can be told to fail one operation.
class FakeFolder : public SaveFileOps {
 public:
  std::map<std::wstring, std::string> files;
  std::vector<std::string> calls;
  uint32_t failCheck = 0, failWrite = 0, failReplace = 0;
  bool writeLeavesPartialFile = true;

  uint32_t CheckReplaceable(const std::wstring&) override {
    calls.push_back("check");
    return failCheck;
  }
  uint32_t WriteNewFile(const std::wstring& path, std::string_view bytes) override {
    calls.push_back("write");
    if (failWrite) {
      // A disk that fills up leaves the first part behind.
      if (writeLeavesPartialFile) files[path] = std::string(bytes.substr(0, bytes.size() / 2));
      return failWrite;
    }
    files[path] = std::string(bytes);
    return 0;
  }
  uint32_t Replace(const std::wstring& from, const std::wstring& to) override {
    calls.push_back("replace");
    if (failReplace) return failReplace;
    files[to] = files[from];
    files.erase(from);
    return 0;
  }
  void Remove(const std::wstring& path) override {
    calls.push_back("remove");
    files.erase(path);
  }
};

const std::wstring kPath = L"C:\\t\\我的文件.txt";
const std::wstring kTemp = L"C:\\t\\我的文件.txt.00000001.tmp";

TEST(SaveThroughTemporary, NewBytesReplaceTheOldOnlyWhenComplete) {
  FakeFolder folder;
  folder.files[kPath] = "old";
  EXPECT_EQ(SaveThroughTemporary(folder, kPath, kTemp, "新的内容"), 0u);
  EXPECT_EQ(folder.files, (std::map<std::wstring, std::string>{{kPath, "新的内容"}}));
  EXPECT_EQ(folder.calls, (std::vector<std::string>{"check", "write", "replace"}));
}

TEST(SaveThroughTemporary, EmptyBytesGiveAnEmptyFile) {
  FakeFolder folder;
  EXPECT_EQ(SaveThroughTemporary(folder, kPath, kTemp, ""), 0u);
  ASSERT_EQ(folder.files.count(kPath), 1u);
  EXPECT_EQ(folder.files[kPath], "");
}

TEST(SaveThroughTemporary, AFileThatCannotBeReplacedIsNotTouched) {
  FakeFolder folder;
  folder.files[kPath] = "old";
  folder.failCheck = fileerror::kAccessDenied;
  EXPECT_EQ(SaveThroughTemporary(folder, kPath, kTemp, "new"), fileerror::kAccessDenied);
  EXPECT_EQ(folder.files, (std::map<std::wstring, std::string>{{kPath, "old"}}));
  EXPECT_EQ(folder.calls, (std::vector<std::string>{"check"}));
}

TEST(SaveThroughTemporary, AFailedWriteKeepsTheOldBytesAndRemovesThePartialFile) {
  FakeFolder folder;
  folder.files[kPath] = "old";
  folder.failWrite = fileerror::kDiskFull;
  EXPECT_EQ(SaveThroughTemporary(folder, kPath, kTemp, "new bytes"), fileerror::kDiskFull);
  EXPECT_EQ(folder.files, (std::map<std::wstring, std::string>{{kPath, "old"}}));
  EXPECT_EQ(folder.calls, (std::vector<std::string>{"check", "write", "remove"}));
}

TEST(SaveThroughTemporary, AFailedReplaceKeepsTheOldBytesAndRemovesTheNewFile) {
  FakeFolder folder;
  folder.files[kPath] = "old";
  folder.failReplace = fileerror::kSharingViolation;
  EXPECT_EQ(SaveThroughTemporary(folder, kPath, kTemp, "new"), fileerror::kSharingViolation);
  EXPECT_EQ(folder.files, (std::map<std::wstring, std::string>{{kPath, "old"}}));
  EXPECT_EQ(folder.calls, (std::vector<std::string>{"check", "write", "replace", "remove"}));
}

}  // namespace
