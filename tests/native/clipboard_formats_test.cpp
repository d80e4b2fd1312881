#include <gtest/gtest.h>

#include "platform/ClipboardFormats.h"

namespace {

using clipformat::Holder;
using clipformat::HolderOf;

TEST(ClipboardFormats, TextFileListsAndPackedBitmapsAreMemory) {
  for (unsigned format : {1u /* text */, 7u /* OEM text */, 13u /* Unicode text */, 16u /* locale */,
                          15u /* file list */, 8u /* DIB */, 17u /* DIB v5 */, 4u, 5u, 6u, 10u, 11u, 12u,
                          0x81u /* display text */}) {
    EXPECT_EQ(HolderOf(format), Holder::Memory) << "format " << format;
  }
}

TEST(ClipboardFormats, GdiHandlesHaveTheirOwnKinds) {
  EXPECT_EQ(HolderOf(2), Holder::Bitmap);
  EXPECT_EQ(HolderOf(0x82), Holder::Bitmap);
  EXPECT_EQ(HolderOf(14), Holder::EnhMetafile);
  EXPECT_EQ(HolderOf(0x8E), Holder::EnhMetafile);
  EXPECT_EQ(HolderOf(3), Holder::MetafilePicture);
  EXPECT_EQ(HolderOf(0x83), Holder::MetafilePicture);
  EXPECT_EQ(HolderOf(9), Holder::Palette);
}

TEST(ClipboardFormats, EveryRegisteredFormatIsMemory) {
  EXPECT_EQ(HolderOf(0xC000), Holder::Memory);
  EXPECT_EQ(HolderOf(0xC0A3), Holder::Memory);
  EXPECT_EQ(HolderOf(0xFFFF), Holder::Memory);
  EXPECT_EQ(HolderOf(0xBFFF), Holder::NotCopyable);
  EXPECT_EQ(HolderOf(0x10000), Holder::NotCopyable);
}

TEST(ClipboardFormats, OwnerDrawnPrivateAndUnknownFormatsAreNotCopied) {
  EXPECT_EQ(HolderOf(0), Holder::NotCopyable);
  EXPECT_EQ(HolderOf(18), Holder::NotCopyable);  // beyond the system's list
  EXPECT_EQ(HolderOf(0x7F), Holder::NotCopyable);
  EXPECT_EQ(HolderOf(0x80), Holder::NotCopyable);  // owner display
  EXPECT_EQ(HolderOf(0x84), Holder::NotCopyable);
  EXPECT_EQ(HolderOf(0x200), Holder::NotCopyable);
  EXPECT_EQ(HolderOf(0x2FF), Holder::NotCopyable);
  EXPECT_EQ(HolderOf(0x300), Holder::NotCopyable);
  EXPECT_EQ(HolderOf(0x3FF), Holder::NotCopyable);
}

}  // namespace
