#include "platform/BitmapFile.h"

#include <algorithm>
#include <limits>

namespace bmpfile {
namespace {

std::uint16_t ReadU16(const std::uint8_t* at) { return static_cast<std::uint16_t>(at[0] | at[1] << 8); }

std::uint32_t ReadU32(const std::uint8_t* at) {
  return static_cast<std::uint32_t>(at[0]) | static_cast<std::uint32_t>(at[1]) << 8 |
         static_cast<std::uint32_t>(at[2]) << 16 | static_cast<std::uint32_t>(at[3]) << 24;
}

std::int32_t ReadI32(const std::uint8_t* at) { return static_cast<std::int32_t>(ReadU32(at)); }

void WriteU16(std::uint8_t* at, std::uint16_t value) {
  at[0] = static_cast<std::uint8_t>(value);
  at[1] = static_cast<std::uint8_t>(value >> 8);
}

void WriteU32(std::uint8_t* at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

constexpr std::uint64_t kU32Max = std::numeric_limits<std::uint32_t>::max();

bool IsInfoHeaderSize(std::uint32_t size) {
  // 40 and its extensions with masks (52, 56), V4 and V5. The 64-byte OS/2 2.x
  // header lays its fields out differently and is not accepted.
  return size == kInfoHeaderSize || size == 52 || size == 56 || size == kV4HeaderSize || size == kV5HeaderSize;
}

// Header and colour table, checked to lie inside `size`; the pixels are not
// looked at, since they may sit elsewhere.
std::optional<DibLayout> ParseHeader(const std::uint8_t* data, std::size_t size) {
  if (data == nullptr || size < 4) return std::nullopt;
  DibLayout layout;
  layout.headerSize = ReadU32(data);
  if (layout.headerSize > size) return std::nullopt;

  std::uint64_t colours = 0;
  std::uint64_t bytesPerColour = 4;
  std::uint32_t sizeImage = 0;
  if (layout.headerSize == kCoreHeaderSize) {
    layout.width = ReadU16(data + 4);
    layout.height = ReadU16(data + 6);
    if (ReadU16(data + 8) != 1) return std::nullopt;  // planes
    layout.bitCount = ReadU16(data + 10);
    if (layout.bitCount != 1 && layout.bitCount != 4 && layout.bitCount != 8 && layout.bitCount != 24) {
      return std::nullopt;
    }
    bytesPerColour = 3;
    if (layout.bitCount <= 8) colours = 1u << layout.bitCount;
  } else if (IsInfoHeaderSize(layout.headerSize)) {
    layout.width = ReadI32(data + 4);
    layout.height = ReadI32(data + 8);
    if (ReadU16(data + 12) != 1) return std::nullopt;
    layout.bitCount = ReadU16(data + 14);
    layout.compression = ReadU32(data + 16);
    sizeImage = ReadU32(data + 20);
    const std::uint32_t used = ReadU32(data + 32);
    switch (layout.bitCount) {
      case 1:
      case 4:
      case 8:
      case 16:
      case 24:
      case 32:
        break;
      default:
        return std::nullopt;  // 0 stands for embedded JPEG or PNG, which GDI cannot make a bitmap of
    }
    if (layout.bitCount <= 8) {
      const std::uint32_t full = 1u << layout.bitCount;
      if (used > full) return std::nullopt;
      colours = used != 0 ? used : full;
    } else {
      colours = used;  // an optional palette for display on palette devices
    }
  } else {
    return std::nullopt;
  }

  switch (layout.compression) {
    case kRgb:
      break;
    case kBitfields:
      if (layout.bitCount != 16 && layout.bitCount != 32) return std::nullopt;
      break;
    case kRle8:
    case kRle4:
      if (layout.bitCount != (layout.compression == kRle8 ? 8 : 4)) return std::nullopt;
      // Run-length data has no row arithmetic: only the header's size says how
      // much there is, and it is always bottom-up.
      if (sizeImage == 0 || layout.height < 0) return std::nullopt;
      break;
    default:
      return std::nullopt;
  }

  if (layout.width <= 0 || layout.height == 0 || layout.height == std::numeric_limits<std::int32_t>::min()) {
    return std::nullopt;
  }
  const std::optional<std::uint32_t> stride = RowStride(layout.width, layout.bitCount);
  if (!stride) return std::nullopt;
  layout.stride = *stride;
  const std::uint64_t rows = layout.height < 0 ? -static_cast<std::int64_t>(layout.height) : layout.height;
  const std::uint64_t image = layout.compression == kRle8 || layout.compression == kRle4
                                  ? sizeImage
                                  : static_cast<std::uint64_t>(layout.stride) * rows;
  if (image > kU32Max) return std::nullopt;
  layout.imageBytes = static_cast<std::uint32_t>(image);

  std::uint64_t table = colours * bytesPerColour;
  if (layout.compression == kBitfields && layout.headerSize == kInfoHeaderSize) table += 12;
  if (layout.headerSize + table > size) return std::nullopt;
  layout.colourTableBytes = static_cast<std::uint32_t>(table);
  return layout;
}

}  // namespace

std::optional<std::uint32_t> RowStride(std::int32_t width, std::uint16_t bitCount) {
  if (width <= 0 || bitCount == 0) return std::nullopt;
  const std::uint64_t bits = static_cast<std::uint64_t>(width) * bitCount;
  const std::uint64_t bytes = (bits + 31) / 32 * 4;
  if (bytes > kU32Max) return std::nullopt;
  return static_cast<std::uint32_t>(bytes);
}

std::optional<DibLayout> ParseDib(const std::uint8_t* data, std::size_t size) {
  const std::optional<DibLayout> layout = ParseHeader(data, size);
  if (!layout) return std::nullopt;
  if (static_cast<std::uint64_t>(layout->PixelOffset()) + layout->imageBytes > size) return std::nullopt;
  return layout;
}

std::optional<FileLayout> ParseFile(const std::uint8_t* data, std::size_t size) {
  if (data == nullptr || size < kFileHeaderSize || data[0] != 'B' || data[1] != 'M') return std::nullopt;
  const std::uint32_t declaredSize = ReadU32(data + 2);
  if (declaredSize > size) return std::nullopt;  // a file cut short
  FileLayout file;
  file.pixelOffset = ReadU32(data + 10);
  const std::optional<DibLayout> dib = ParseHeader(data + kFileHeaderSize, size - kFileHeaderSize);
  if (!dib) return std::nullopt;
  file.dib = *dib;
  // The pixels may come after a gap, but never inside the header or table.
  if (file.pixelOffset < kFileHeaderSize + static_cast<std::uint64_t>(file.dib.PixelOffset())) return std::nullopt;
  if (static_cast<std::uint64_t>(file.pixelOffset) + file.dib.imageBytes > size) return std::nullopt;
  return file;
}

std::vector<std::uint8_t> FileFromDib(const std::uint8_t* dib, std::size_t size) {
  const std::optional<DibLayout> layout = ParseDib(dib, size);
  if (!layout || kFileHeaderSize + static_cast<std::uint64_t>(size) > kU32Max) return {};
  std::vector<std::uint8_t> file(kFileHeaderSize + size);
  file[0] = 'B';
  file[1] = 'M';
  WriteU32(&file[2], static_cast<std::uint32_t>(file.size()));
  WriteU16(&file[6], 0);
  WriteU16(&file[8], 0);
  WriteU32(&file[10], static_cast<std::uint32_t>(kFileHeaderSize + layout->PixelOffset()));
  std::copy(dib, dib + size, file.begin() + kFileHeaderSize);
  return file;
}

std::vector<std::uint8_t> DibFromFile(const std::uint8_t* file, std::size_t size) {
  const std::optional<FileLayout> layout = ParseFile(file, size);
  if (!layout) return {};
  const std::uint8_t* header = file + kFileHeaderSize;
  const std::uint8_t* pixels = file + layout->pixelOffset;
  std::vector<std::uint8_t> dib(header, header + layout->dib.PixelOffset());
  dib.insert(dib.end(), pixels, pixels + layout->dib.imageBytes);
  return dib;
}

}  // namespace bmpfile
