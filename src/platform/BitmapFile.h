// The byte layout of device-independent bitmaps: the packed form that the
// clipboard holds (info header, colour table, pixels) and the bitmap file (a
// 14-byte file header, "BM", in front of the same). All values little-endian.
// Bytes handed in are untrusted: every size is checked against the buffer and
// for overflow before anything is read or made from them.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace bmpfile {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::uint32_t kCoreHeaderSize = 12;  // the old OS/2 header: 16-bit sizes, 3-byte colours
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kV4HeaderSize = 108;
constexpr std::uint32_t kV5HeaderSize = 124;

// Compression values of the info header.
constexpr std::uint32_t kRgb = 0;
constexpr std::uint32_t kRle8 = 1;
constexpr std::uint32_t kRle4 = 2;
constexpr std::uint32_t kBitfields = 3;

struct DibLayout {
  std::uint32_t headerSize = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;  // negative: rows run top-down
  std::uint16_t bitCount = 0;
  std::uint32_t compression = kRgb;
  // Colour table, plus the three channel masks that follow a 40-byte header
  // with bit-field compression.
  std::uint32_t colourTableBytes = 0;
  std::uint32_t stride = 0;      // bytes per row of uncompressed pixels
  std::uint32_t imageBytes = 0;  // bytes of pixel data

  // Where the pixels start in a packed DIB.
  std::uint32_t PixelOffset() const { return headerSize + colourTableBytes; }
};

// Bytes of one row: whole 32-bit units. Nothing when the width is not positive
// or the row would not fit 32 bits.
std::optional<std::uint32_t> RowStride(std::int32_t width, std::uint16_t bitCount);

// A packed DIB: header, colour table and pixels, in that order and inside `size`.
std::optional<DibLayout> ParseDib(const std::uint8_t* data, std::size_t size);

struct FileLayout {
  DibLayout dib;
  std::uint32_t pixelOffset = 0;  // from the start of the file
};

// A bitmap file: "BM", a file header whose sizes stay inside `size`, then a
// valid DIB header and colour table, and the pixels at the header's offset.
std::optional<FileLayout> ParseFile(const std::uint8_t* data, std::size_t size);

// The bitmap file for a packed DIB; empty when the DIB is not valid.
std::vector<std::uint8_t> FileFromDib(const std::uint8_t* dib, std::size_t size);

// The packed DIB inside a bitmap file (any gap before the pixels dropped, any
// bytes after them left out); empty when the file is not valid.
std::vector<std::uint8_t> DibFromFile(const std::uint8_t* file, std::size_t size);

}  // namespace bmpfile
