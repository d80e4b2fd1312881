#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

#include "platform/BitmapFile.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

void PutU16(Bytes& out, std::size_t at, std::uint16_t value) {
  out[at] = static_cast<std::uint8_t>(value);
  out[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

void PutU32(Bytes& out, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint32_t GetU32(const Bytes& in, std::size_t at) {
  return in[at] | in[at + 1] << 8 | in[at + 2] << 16 | static_cast<std::uint32_t>(in[at + 3]) << 24;
}

struct Info {
  std::uint32_t headerSize = 40;
  std::int32_t width = 2;
  std::int32_t height = 2;
  std::uint16_t planes = 1;
  std::uint16_t bitCount = 24;
  std::uint32_t compression = 0;
  std::uint32_t sizeImage = 0;
  std::uint32_t clrUsed = 0;
};

// A packed DIB: the header as given, `tableBytes` of colour table and
// `pixelBytes` of pixels numbered 0, 1, 2, ... so misplaced copies show.
Bytes MakeDib(const Info& info, std::size_t tableBytes, std::size_t pixelBytes) {
  Bytes dib(info.headerSize + tableBytes + pixelBytes, 0);
  PutU32(dib, 0, info.headerSize);
  if (info.headerSize == 12) {
    PutU16(dib, 4, static_cast<std::uint16_t>(info.width));
    PutU16(dib, 6, static_cast<std::uint16_t>(info.height));
    PutU16(dib, 8, info.planes);
    PutU16(dib, 10, info.bitCount);
  } else {
    PutU32(dib, 4, static_cast<std::uint32_t>(info.width));
    PutU32(dib, 8, static_cast<std::uint32_t>(info.height));
    PutU16(dib, 12, info.planes);
    PutU16(dib, 14, info.bitCount);
    PutU32(dib, 16, info.compression);
    PutU32(dib, 20, info.sizeImage);
    PutU32(dib, 32, info.clrUsed);
  }
  for (std::size_t i = 0; i < tableBytes; ++i) dib[info.headerSize + i] = static_cast<std::uint8_t>(0xA0 + i);
  for (std::size_t i = 0; i < pixelBytes; ++i) dib[info.headerSize + tableBytes + i] = static_cast<std::uint8_t>(i);
  return dib;
}

std::optional<bmpfile::DibLayout> Parse(const Bytes& dib) { return bmpfile::ParseDib(dib.data(), dib.size()); }

TEST(BitmapRowStride, RoundsRowsUpToWholeFourByteUnits) {
  EXPECT_EQ(bmpfile::RowStride(1, 1), 4u);
  EXPECT_EQ(bmpfile::RowStride(33, 1), 8u);
  EXPECT_EQ(bmpfile::RowStride(3, 24), 12u);  // 9 bytes of pixels
  EXPECT_EQ(bmpfile::RowStride(4, 24), 12u);
  EXPECT_EQ(bmpfile::RowStride(5, 4), 4u);
  EXPECT_EQ(bmpfile::RowStride(2, 32), 8u);
  EXPECT_EQ(bmpfile::RowStride(3, 16), 8u);
}

TEST(BitmapRowStride, RejectsEmptyNegativeAndOverlongRows) {
  EXPECT_FALSE(bmpfile::RowStride(0, 24));
  EXPECT_FALSE(bmpfile::RowStride(-5, 24));
  EXPECT_FALSE(bmpfile::RowStride(10, 0));
  // 2^31 - 1 pixels of 32 bits need 8 GiB in one row.
  EXPECT_FALSE(bmpfile::RowStride(std::numeric_limits<std::int32_t>::max(), 32));
}

TEST(BitmapDib, TrueColourHasNoTableAndPaddedRows) {
  Info info;
  info.width = 3;
  info.height = 2;
  const auto layout = Parse(MakeDib(info, 0, 24));
  ASSERT_TRUE(layout);
  EXPECT_EQ(layout->headerSize, 40u);
  EXPECT_EQ(layout->width, 3);
  EXPECT_EQ(layout->height, 2);
  EXPECT_EQ(layout->bitCount, 24);
  EXPECT_EQ(layout->colourTableBytes, 0u);
  EXPECT_EQ(layout->stride, 12u);
  EXPECT_EQ(layout->imageBytes, 24u);
  EXPECT_EQ(layout->PixelOffset(), 40u);
}

TEST(BitmapDib, PaletteDepthsCarryAFullTableUnlessFewerColoursAreUsed) {
  Info info;
  info.bitCount = 8;
  auto layout = Parse(MakeDib(info, 1024, 8));
  ASSERT_TRUE(layout);
  EXPECT_EQ(layout->colourTableBytes, 1024u);
  EXPECT_EQ(layout->PixelOffset(), 1064u);

  info.clrUsed = 2;
  layout = Parse(MakeDib(info, 8, 8));
  ASSERT_TRUE(layout);
  EXPECT_EQ(layout->colourTableBytes, 8u);

  info.bitCount = 1;
  info.clrUsed = 0;
  layout = Parse(MakeDib(info, 8, 8));
  ASSERT_TRUE(layout);
  EXPECT_EQ(layout->colourTableBytes, 8u);
  EXPECT_EQ(layout->stride, 4u);
}

TEST(BitmapDib, MoreColoursThanTheDepthAllowsAreRejected) {
  Info info;
  info.bitCount = 8;
  info.clrUsed = 257;
  EXPECT_FALSE(Parse(MakeDib(info, 257 * 4, 8)));
}

TEST(BitmapDib, TrueColourMayCarryAnOptionalPalette) {
  Info info;
  info.clrUsed = 16;
  const auto layout = Parse(MakeDib(info, 64, 16));
  ASSERT_TRUE(layout);
  EXPECT_EQ(layout->colourTableBytes, 64u);
  EXPECT_EQ(layout->PixelOffset(), 104u);
}

TEST(BitmapDib, BitFieldMasksFollowOnlyTheShortHeader) {
  Info info;
  info.bitCount = 32;
  info.compression = bmpfile::kBitfields;
  auto layout = Parse(MakeDib(info, 12, 16));
  ASSERT_TRUE(layout);
  EXPECT_EQ(layout->colourTableBytes, 12u);
  EXPECT_EQ(layout->PixelOffset(), 52u);

  info.headerSize = bmpfile::kV5HeaderSize;  // masks inside the header
  layout = Parse(MakeDib(info, 0, 16));
  ASSERT_TRUE(layout);
  EXPECT_EQ(layout->colourTableBytes, 0u);
  EXPECT_EQ(layout->PixelOffset(), 124u);

  info.headerSize = 40;
  info.bitCount = 24;  // bit fields exist only for 16 and 32 bits
  EXPECT_FALSE(Parse(MakeDib(info, 12, 16)));
}

TEST(BitmapDib, CoreHeaderHasThreeByteColours) {
  Info info;
  info.headerSize = 12;
  info.bitCount = 1;
  info.width = 9;
  info.height = 3;
  const auto layout = Parse(MakeDib(info, 6, 12));
  ASSERT_TRUE(layout);
  EXPECT_EQ(layout->width, 9);
  EXPECT_EQ(layout->height, 3);
  EXPECT_EQ(layout->colourTableBytes, 6u);
  EXPECT_EQ(layout->imageBytes, 12u);

  info.bitCount = 32;  // the old header knows no 32-bit pixels
  EXPECT_FALSE(Parse(MakeDib(info, 0, 48)));
}

TEST(BitmapDib, TopDownRowsCountByTheirMagnitude) {
  Info info;
  info.height = -3;
  const auto layout = Parse(MakeDib(info, 0, 24));
  ASSERT_TRUE(layout);
  EXPECT_EQ(layout->height, -3);
  EXPECT_EQ(layout->imageBytes, 24u);
}

TEST(BitmapDib, RunLengthDataIsSizedByTheHeader) {
  Info info;
  info.bitCount = 8;
  info.compression = bmpfile::kRle8;
  info.sizeImage = 6;
  auto layout = Parse(MakeDib(info, 1024, 6));
  ASSERT_TRUE(layout);
  EXPECT_EQ(layout->imageBytes, 6u);

  info.sizeImage = 0;  // no way to tell its length
  EXPECT_FALSE(Parse(MakeDib(info, 1024, 6)));
  info.sizeImage = 6;
  info.height = -2;  // run-length bitmaps are always bottom-up
  EXPECT_FALSE(Parse(MakeDib(info, 1024, 6)));
  info.height = 2;
  info.bitCount = 4;  // RLE8 needs 8-bit pixels
  EXPECT_FALSE(Parse(MakeDib(info, 64, 6)));
  info.sizeImage = 7;  // more data than the buffer holds
  info.bitCount = 8;
  EXPECT_FALSE(Parse(MakeDib(info, 1024, 6)));
}

TEST(BitmapDib, RejectsHeadersThatAreNotBitmaps) {
  const auto rejected = [](Info info, std::size_t table, std::size_t pixels) {
    return !Parse(MakeDib(info, table, pixels));
  };
  Info info;
  info.headerSize = 64;  // OS/2 2.x: fields elsewhere
  EXPECT_TRUE(rejected(info, 0, 16));
  info = Info{};
  info.planes = 2;
  EXPECT_TRUE(rejected(info, 0, 16));
  info = Info{};
  info.bitCount = 2;
  EXPECT_TRUE(rejected(info, 16, 16));
  info = Info{};
  info.bitCount = 0;  // embedded JPEG or PNG
  info.compression = 4;
  info.sizeImage = 16;
  EXPECT_TRUE(rejected(info, 0, 16));
  info = Info{};
  info.compression = 9;
  EXPECT_TRUE(rejected(info, 0, 16));
  info = Info{};
  info.width = 0;
  EXPECT_TRUE(rejected(info, 0, 16));
  info = Info{};
  info.width = -2;
  EXPECT_TRUE(rejected(info, 0, 16));
  info = Info{};
  info.height = 0;
  EXPECT_TRUE(rejected(info, 0, 16));
  info = Info{};
  info.height = std::numeric_limits<std::int32_t>::min();  // its magnitude does not fit
  EXPECT_TRUE(rejected(info, 0, 16));
}

TEST(BitmapDib, NeverReachesPastTheBuffer) {
  Info info;
  info.bitCount = 8;
  const Bytes whole = MakeDib(info, 1024, 8);
  ASSERT_TRUE(Parse(whole));
  // Every shorter buffer, made exactly that size so a read past it would be
  // out of bounds, is refused: header, table or pixels are incomplete.
  for (std::size_t size = 0; size < whole.size(); ++size) {
    const Bytes cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(size));
    EXPECT_FALSE(bmpfile::ParseDib(cut.data(), cut.size())) << "accepted at size " << size;
  }
  EXPECT_FALSE(bmpfile::ParseDib(nullptr, 100));
}

TEST(BitmapDib, HugeDimensionsAreRejectedWithoutOverflow) {
  Info info;
  info.bitCount = 32;
  info.width = 0x10000;
  info.height = 0x10000;  // 16 GiB of pixels: wraps to 0 in 32 bits
  EXPECT_FALSE(Parse(MakeDib(info, 0, 16)));
  info.width = 0x7FFFFFFF;
  info.height = 0x7FFFFFFF;
  EXPECT_FALSE(Parse(MakeDib(info, 0, 16)));
  info.width = 1;
  info.height = 2;
  info.bitCount = 8;
  info.clrUsed = 0;
  info.headerSize = 40;
  // The header claims a size that would need more than the buffer: the first
  // field alone is checked against it.
  Bytes dib = MakeDib(info, 1024, 8);
  PutU32(dib, 0, 0xFFFFFFFFu);
  EXPECT_FALSE(Parse(dib));
}

TEST(BitmapFile, FileFromDibWritesTheHeaderAndKeepsEveryByte) {
  Info info;
  info.bitCount = 8;
  info.clrUsed = 4;
  const Bytes dib = MakeDib(info, 16, 8);
  const Bytes file = bmpfile::FileFromDib(dib.data(), dib.size());
  ASSERT_EQ(file.size(), dib.size() + 14);
  EXPECT_EQ(file[0], 'B');
  EXPECT_EQ(file[1], 'M');
  EXPECT_EQ(GetU32(file, 2), file.size());
  EXPECT_EQ(GetU32(file, 6), 0u);  // both reserved words
  EXPECT_EQ(GetU32(file, 10), 14u + 40u + 16u);
  EXPECT_EQ(Bytes(file.begin() + 14, file.end()), dib);
}

TEST(BitmapFile, FileFromAnInvalidDibIsEmpty) {
  Info info;
  info.planes = 3;
  const Bytes dib = MakeDib(info, 0, 16);
  EXPECT_TRUE(bmpfile::FileFromDib(dib.data(), dib.size()).empty());
  EXPECT_TRUE(bmpfile::FileFromDib(nullptr, 0).empty());
}

TEST(BitmapFile, RoundTripGivesBackTheSameDib) {
  for (std::uint16_t bits : {1, 4, 8, 16, 24, 32}) {
    Info info;
    info.bitCount = bits;
    info.width = 5;
    info.height = 3;
    const std::size_t table = bits <= 8 ? (std::size_t{4} << bits) : 0;
    const Bytes dib = MakeDib(info, table, *bmpfile::RowStride(5, bits) * 3);
    const Bytes file = bmpfile::FileFromDib(dib.data(), dib.size());
    const auto layout = bmpfile::ParseFile(file.data(), file.size());
    ASSERT_TRUE(layout) << bits << " bits";
    EXPECT_EQ(layout->pixelOffset, 14u + 40u + table) << bits << " bits";
    EXPECT_EQ(bmpfile::DibFromFile(file.data(), file.size()), dib) << bits << " bits";
  }
}

// A file whose pixels sit after a gap, as some writers align them.
Bytes FileWithGap(std::size_t gap) {
  Info info;
  const Bytes dib = MakeDib(info, 0, 16);
  Bytes file = bmpfile::FileFromDib(dib.data(), dib.size());
  file.insert(file.begin() + 14 + 40, gap, 0xEE);
  PutU32(file, 2, static_cast<std::uint32_t>(file.size()));
  PutU32(file, 10, static_cast<std::uint32_t>(14 + 40 + gap));
  return file;
}

TEST(BitmapFile, PixelsAfterAGapAreFoundAndTheGapDropped) {
  const Bytes file = FileWithGap(30);
  const auto layout = bmpfile::ParseFile(file.data(), file.size());
  ASSERT_TRUE(layout);
  EXPECT_EQ(layout->pixelOffset, 84u);
  Info info;
  EXPECT_EQ(bmpfile::DibFromFile(file.data(), file.size()), MakeDib(info, 0, 16));
}

TEST(BitmapFile, TrailingBytesAreLeftOut) {
  Info info;
  const Bytes dib = MakeDib(info, 0, 16);
  Bytes file = bmpfile::FileFromDib(dib.data(), dib.size());
  file.push_back(0x77);
  EXPECT_EQ(bmpfile::DibFromFile(file.data(), file.size()), dib);
}

TEST(BitmapFile, RejectsBadMagicAndShortInput) {
  Info info;
  const Bytes dib = MakeDib(info, 0, 16);
  Bytes file = bmpfile::FileFromDib(dib.data(), dib.size());
  ASSERT_TRUE(bmpfile::ParseFile(file.data(), file.size()));
  Bytes bad = file;
  bad[1] = 'A';
  EXPECT_FALSE(bmpfile::ParseFile(bad.data(), bad.size()));
  EXPECT_TRUE(bmpfile::DibFromFile(bad.data(), bad.size()).empty());
  bad = file;
  bad[0] = 'b';
  EXPECT_FALSE(bmpfile::ParseFile(bad.data(), bad.size()));
  const Bytes two{'B', 'M'};
  EXPECT_FALSE(bmpfile::ParseFile(two.data(), two.size()));
  EXPECT_FALSE(bmpfile::ParseFile(nullptr, 0));
  for (std::size_t size = 0; size < file.size(); ++size) {
    const Bytes cut(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(size));
    EXPECT_FALSE(bmpfile::ParseFile(cut.data(), cut.size())) << "accepted at size " << size;
    EXPECT_TRUE(bmpfile::DibFromFile(cut.data(), cut.size()).empty()) << "size " << size;
  }
}

TEST(BitmapFile, RejectsSizesThatDoNotFitTheBuffer) {
  Bytes file = FileWithGap(8);
  ASSERT_TRUE(bmpfile::ParseFile(file.data(), file.size()));

  Bytes bad = file;
  PutU32(bad, 2, static_cast<std::uint32_t>(file.size() + 1));  // claims more than there is
  EXPECT_FALSE(bmpfile::ParseFile(bad.data(), bad.size()));

  bad = file;
  PutU32(bad, 10, 14 + 39);  // pixels would start inside the info header
  EXPECT_FALSE(bmpfile::ParseFile(bad.data(), bad.size()));

  bad = file;
  PutU32(bad, 10, static_cast<std::uint32_t>(file.size() - 15));  // one pixel byte past the end
  EXPECT_FALSE(bmpfile::ParseFile(bad.data(), bad.size()));

  bad = file;
  PutU32(bad, 10, 0xFFFFFFF8u);  // offset plus pixels wraps in 32 bits
  EXPECT_FALSE(bmpfile::ParseFile(bad.data(), bad.size()));
  EXPECT_TRUE(bmpfile::DibFromFile(bad.data(), bad.size()).empty());
}

}  // namespace
