#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "enginehost/CallbackTable.h"
#include "enginehost/EngineLoadMessage.h"
#include "enginehost/TrampolineCode.h"
#include "enginehost/WindowFeatures.h"
#include "view/RendererKind.h"

namespace {

std::vector<uint8_t> Bytes(std::initializer_list<int> values) {
  std::vector<uint8_t> out;
  for (int v : values) out.push_back(static_cast<uint8_t>(v));
  return out;
}

void AppendLe32(std::vector<uint8_t>& out, uint32_t v) {
  for (int s = 0; s < 32; s += 8) out.push_back(static_cast<uint8_t>(v >> s));
}

// The layout written out by hand, piece by piece.
std::vector<uint8_t> ExpectedX86(uint32_t adapter, int n) {
  std::vector<uint8_t> out = Bytes({0x55, 0x8B, 0xEC, 0xB8});
  AppendLe32(out, adapter);
  for (int i = 1; i <= n; ++i) {
    out.push_back(0xFF);
    out.push_back(0xB5);
    AppendLe32(out, static_cast<uint32_t>(4 * (n - i + 2)));
  }
  for (int b : {0xFF, 0xD0, 0x5D, 0xC3}) out.push_back(static_cast<uint8_t>(b));
  return out;
}

TEST(TrampolineCodeX86, ThreeArgumentsByteForByte) {
  const std::vector<uint8_t> expected = Bytes({
      0x55, 0x8B, 0xEC,                    // frame
      0xB8, 0x78, 0x56, 0x34, 0x12,        // mov eax, 0x12345678
      0xFF, 0xB5, 0x10, 0x00, 0x00, 0x00,  // push [ebp+16]: the third argument
      0xFF, 0xB5, 0x0C, 0x00, 0x00, 0x00,  // push [ebp+12]
      0xFF, 0xB5, 0x08, 0x00, 0x00, 0x00,  // push [ebp+8]: the first argument
      0xFF, 0xD0, 0x5D, 0xC3,              // call eax; pop ebp; ret
  });
  EXPECT_EQ(TrampolineCodeX86(0x12345678u, 3), expected);
}

TEST(TrampolineCodeX86, SizesForTheTableArgumentCounts) {
  EXPECT_EQ(TrampolineCodeX86(0x401000u, 3).size(), 30u);
  EXPECT_EQ(TrampolineCodeX86(0x401000u, 4).size(), 36u);
  EXPECT_EQ(TrampolineCodeX86(0x401000u, 5).size(), 42u);
  EXPECT_EQ(TrampolineCodeX86(0x401000u, 7).size(), 54u);
  for (int n : {3, 4, 5, 7}) EXPECT_EQ(TrampolineSizeX86(n), TrampolineCodeX86(0, n).size()) << "n = " << n;
}

TEST(TrampolineCodeX86, PushesRunFromTheLastArgumentToTheFirst) {
  for (int n : {3, 4, 5, 7}) {
    const std::vector<uint8_t> code = TrampolineCodeX86(0xCAFEBABEu, n);
    EXPECT_EQ(code, ExpectedX86(0xCAFEBABEu, n)) << "n = " << n;
    // d(1) = 4n + 4 at offset 10, d(n) = 8 at offset 8 + 6(n-1) + 2.
    EXPECT_EQ(code[10], 4 * n + 4) << "n = " << n;
    EXPECT_EQ(code[8 + 6 * (n - 1) + 2], 8) << "n = " << n;
    EXPECT_EQ(code[8 + 6 * n], 0xFF);
    EXPECT_EQ(code[9 + 6 * n], 0xD0);
  }
}

TEST(TrampolineCodeX86, AdapterAddressIsLittleEndianAtOffsetFour) {
  const std::vector<uint8_t> code = TrampolineCodeX86(0xA1B2C3D4u, 5);
  EXPECT_EQ(code[3], 0xB8);
  EXPECT_EQ(std::vector<uint8_t>(code.begin() + 4, code.begin() + 8), Bytes({0xD4, 0xC3, 0xB2, 0xA1}));
}

TEST(TrampolineCodeX64, MovesTheAdapterIntoRaxAndJumps) {
  const std::vector<uint8_t> expected =
      Bytes({0x48, 0xB8, 0x88, 0x77, 0x66, 0x55, 0x44, 0x33, 0x22, 0x11, 0xFF, 0xE0});
  EXPECT_EQ(TrampolineCodeX64(0x1122334455667788ull), expected);
  EXPECT_EQ(expected.size(), kTrampolineSizeX64);
}

TEST(TrampolineCode, ThisMachinesLayout) {
  const std::vector<uint8_t> code = TrampolineCode(0x401000u, 7);
  if (sizeof(uintptr_t) == 4) {
    EXPECT_EQ(code, ExpectedX86(0x401000u, 7));
  } else {
    EXPECT_EQ(code, TrampolineCodeX64(0x401000u));
  }
}

TEST(CallbackTable, ArgumentCountsInTableOrder) {
  EXPECT_EQ(kCallbackArgumentCounts[kTitleChanged], 3);
  EXPECT_EQ(kCallbackArgumentCounts[kURLChanged], 3);
  EXPECT_EQ(kCallbackArgumentCounts[kPaintUpdated], 7);
  EXPECT_EQ(kCallbackArgumentCounts[kAlertBox], 3);
  EXPECT_EQ(kCallbackArgumentCounts[kConfirmBox], 3);
  EXPECT_EQ(kCallbackArgumentCounts[kPromptBox], 5);
  EXPECT_EQ(kCallbackArgumentCounts[kConsoleMessage], 3);
  EXPECT_EQ(kCallbackArgumentCounts[kNavigation], 4);
  EXPECT_EQ(kCallbackArgumentCounts[kCreateView], 3);
  EXPECT_EQ(kCallbackArgumentCounts[kDocumentReady], 3);
  EXPECT_EQ(kCallbackArgumentCounts[kLoadingFinish], 5);
  EXPECT_EQ(kLoadingFinish + 1, kCallbackCount);
}

TEST(WindowFeatureBits, AllOffAndAllOn) {
  const uint8_t off[7] = {0, 0, 0, 0, 0, 0, 0};
  const uint8_t on[7] = {1, 1, 1, 1, 1, 1, 1};
  EXPECT_EQ(WindowFeatureBits(off), 0u);
  EXPECT_EQ(WindowFeatureBits(on), 127u);
}

TEST(WindowFeatureBits, EachSwitchHasItsOwnBitAndAnyNonZeroByteCountsOne) {
  for (int i = 0; i < 7; ++i) {
    uint8_t switches[7] = {0, 0, 0, 0, 0, 0, 0};
    switches[i] = 0xFF;
    EXPECT_EQ(WindowFeatureBits(switches), 1u << i) << "switch " << i;
  }
  const uint8_t mixed[7] = {2, 0, 0x80, 0, 1, 0, 7};  // menu bar, tool bar, scroll bars, full screen
  EXPECT_EQ(WindowFeatureBits(mixed), 1u + 4u + 16u + 64u);
}

TEST(EngineLoadMessage, NamesTheLibraryAndTheEntryPoint) {
  // The sources are compiled to GBK, so the expected text is GBK as well.
  EXPECT_EQ(EngineLoadMessage("wke.dll", "wkeInitialize"),
            std::string("运行时出错!\r\n\r\n错误信息：无法找到指定DLL库文件“wke.dll”中的输出命令“wkeInitialize”"));
  const std::string message = EngineLoadMessage("wke.dll", "wkeFinalize");
  EXPECT_EQ(message.substr(0, 12), std::string("\xD4\xCB\xD0\xD0\xCA\xB1\xB3\xF6\xB4\xED!\r"));  // 运行时出错!
  EXPECT_NE(message.find("\xA1\xB0wkeFinalize\xA1\xB1"), std::string::npos);  // “wkeFinalize”
}

TEST(RendererKind, ZeroOneTwoNameTheirBackEndsAnythingElseIsGdi) {
  EXPECT_EQ(ChooseRendererKind(0), RendererKind::Gdi);
  EXPECT_EQ(ChooseRendererKind(1), RendererKind::Direct2D);
  EXPECT_EQ(ChooseRendererKind(2), RendererKind::Direct3D9);
  EXPECT_EQ(ChooseRendererKind(kDefaultRendererKind), RendererKind::Direct3D9);
  for (int other : {3, 7, -1, 255, 1 << 30}) EXPECT_EQ(ChooseRendererKind(other), RendererKind::Gdi) << other;
}

TEST(DibArithmetic, StrideRoundsRowsToWholeWords) {
  EXPECT_EQ(DibStride(600), 2400);
  EXPECT_EQ(DibStride(601), 2404);
  EXPECT_EQ(DibStride(1), 4);
  EXPECT_EQ(DibStride(0), 0);
  EXPECT_EQ(DibImageSize(601, 360), 2404u * 360u);
  EXPECT_EQ(DibImageSize(601, -360), 2404u * 360u);
  EXPECT_EQ(DibImageSize(800, 1200), 3840000u);
}

}  // namespace
