#include "answerbank/formats/ZipArchive.h"

#include <zlib.h>

#include <algorithm>
#include <utility>

namespace {

constexpr uint32_t kLocalSignature = 0x04034b50;
constexpr uint32_t kCentralSignature = 0x02014b50;
constexpr uint32_t kEndSignature = 0x06054b50;
constexpr size_t kLocalSize = 30;
constexpr size_t kCentralSize = 46;
constexpr size_t kEndSize = 22;
constexpr size_t kMaxCommentSize = 0xFFFF;

constexpr uint16_t kEncryptedFlags = 0x0001 | 0x0040;  // traditional or strong encryption
constexpr uint16_t kStored = 0;
constexpr uint16_t kDeflated = 8;

// Little-endian fields of a record known to lie wholly inside the bytes.
class Record {
 public:
  Record(std::string_view bytes, size_t at) : at_(bytes.data() + at) {}
  uint16_t U16(size_t offset) const { return static_cast<uint16_t>(Byte(offset) | Byte(offset + 1) << 8); }
  uint32_t U32(size_t offset) const { return U16(offset) | static_cast<uint32_t>(U16(offset + 2)) << 16; }

 private:
  uint32_t Byte(size_t offset) const { return static_cast<unsigned char>(at_[offset]); }
  const char* at_;
};

// The end of central directory record: the last signature that has room for
// its record and comment.
bool FindEnd(std::string_view bytes, size_t& at) {
  if (bytes.size() < kEndSize) return false;
  const size_t lowest = bytes.size() - kEndSize > kMaxCommentSize ? bytes.size() - kEndSize - kMaxCommentSize : 0;
  for (size_t i = bytes.size() - kEndSize + 1; i-- > lowest;) {
    const Record end(bytes, i);
    if (end.U32(0) == kEndSignature && i + kEndSize + end.U16(20) <= bytes.size()) {
      at = i;
      return true;
    }
  }
  return false;
}

struct Span {
  uint64_t begin, end;
};

// zlib's raw inflate state, ended whatever way the inflating ends.
class Inflater {
 public:
  Inflater() { ready_ = inflateInit2(&stream_, -MAX_WBITS) == Z_OK; }
  ~Inflater() {
    if (ready_) inflateEnd(&stream_);
  }
  Inflater(const Inflater&) = delete;
  Inflater& operator=(const Inflater&) = delete;
  bool Ready() const { return ready_; }
  z_stream& Stream() { return stream_; }

 private:
  z_stream stream_{};
  bool ready_ = false;
};

// Inflates `data` into `out`, never past `cap` bytes (one more byte of room
// tells a stream that would go on).
ZipError Inflate(std::string_view data, uint64_t cap, size_t expected, std::string& out) {
  Inflater inflater;
  if (!inflater.Ready()) return ZipError::kBadData;
  z_stream& stream = inflater.Stream();
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  stream.avail_in = static_cast<uInt>(data.size());
  const size_t room = static_cast<size_t>(cap) + 1;
  out.resize(std::min(room, expected + 1));
  size_t produced = 0;
  for (;;) {
    if (produced == out.size()) out.resize(std::min(room, out.size() * 2));
    stream.next_out = reinterpret_cast<Bytef*>(&out[produced]);
    stream.avail_out = static_cast<uInt>(out.size() - produced);
    const int result = inflate(&stream, Z_NO_FLUSH);
    produced = out.size() - stream.avail_out;
    if (produced > cap) return ZipError::kTooLarge;
    if (result == Z_STREAM_END) break;
    // Z_BUF_ERROR with room left means the input ran out before the stream's end.
    const bool progressing = result == Z_OK || (result == Z_BUF_ERROR && stream.avail_out == 0);
    if (!progressing) return ZipError::kBadData;
  }
  if (stream.total_in != data.size() || produced != expected) return ZipError::kSizeMismatch;
  out.resize(produced);
  return ZipError::kNone;
}

uint32_t Crc32(std::string_view data) {
  return static_cast<uint32_t>(crc32_z(crc32(0, nullptr, 0), reinterpret_cast<const Bytef*>(data.data()), data.size()));
}

}  // namespace

ZipArchive::ZipArchive(std::string_view bytes) : bytes_(bytes) {
  error_ = ReadDirectory();
  if (error_ != ZipError::kNone) entries_.clear();
}

ZipError ZipArchive::ReadDirectory() {
  size_t endAt;
  if (!FindEnd(bytes_, endAt)) return ZipError::kNotAnArchive;
  const Record end(bytes_, endAt);
  const uint16_t count = end.U16(10);
  const uint32_t directorySize = end.U32(12), directoryOffset = end.U32(16);
  if (end.U16(4) != 0 || end.U16(6) != 0 || end.U16(8) != count) return ZipError::kUnsupported;
  // Saturated fields mean the real values are in ZIP64 records.
  if (count == 0xFFFF || directorySize == 0xFFFFFFFF || directoryOffset == 0xFFFFFFFF) return ZipError::kUnsupported;
  const uint64_t directoryEnd = uint64_t{directoryOffset} + directorySize;
  if (directoryEnd > endAt) return ZipError::kBroken;

  std::vector<Span> spans;
  entries_.reserve(count);
  spans.reserve(count);
  uint64_t at = directoryOffset;
  for (uint16_t i = 0; i < count; ++i) {
    if (at + kCentralSize > directoryEnd) return ZipError::kBroken;
    const Record central(bytes_, static_cast<size_t>(at));
    const uint64_t recordSize = kCentralSize + uint64_t{central.U16(28)} + central.U16(30) + central.U16(32);
    if (central.U32(0) != kCentralSignature || at + recordSize > directoryEnd) return ZipError::kBroken;
    ZipEntry entry;
    entry.flags = central.U16(8);
    entry.method = central.U16(10);
    entry.crc32 = central.U32(16);
    entry.compressedSize = central.U32(20);
    entry.size = central.U32(24);
    entry.name.assign(bytes_.substr(static_cast<size_t>(at) + kCentralSize, central.U16(28)));
    const uint32_t localOffset = central.U32(42);
    if (entry.compressedSize == 0xFFFFFFFF || entry.size == 0xFFFFFFFF || localOffset == 0xFFFFFFFF) {
      return ZipError::kUnsupported;
    }
    at += recordSize;

    if (uint64_t{localOffset} + kLocalSize > directoryOffset) return ZipError::kOverlapping;
    const Record local(bytes_, localOffset);
    if (local.U32(0) != kLocalSignature) return ZipError::kBroken;
    const uint64_t dataOffset = uint64_t{localOffset} + kLocalSize + local.U16(26) + local.U16(28);
    const uint64_t dataEnd = dataOffset + entry.compressedSize;
    if (dataEnd > bytes_.size()) return ZipError::kBroken;
    if (dataEnd > directoryOffset) return ZipError::kOverlapping;
    entry.dataOffset = static_cast<size_t>(dataOffset);
    spans.push_back({localOffset, dataEnd});
    entries_.push_back(std::move(entry));
  }
  if (at != directoryEnd) return ZipError::kBroken;

  // Entries sharing bytes are how the smallest zip bombs multiply their data.
  std::sort(spans.begin(), spans.end(), [](const Span& a, const Span& b) { return a.begin < b.begin; });
  for (size_t i = 1; i < spans.size(); ++i) {
    if (spans[i].begin < spans[i - 1].end) return ZipError::kOverlapping;
  }
  return ZipError::kNone;
}

const ZipEntry* ZipArchive::Find(std::string_view name) const {
  for (const ZipEntry& entry : entries_) {
    if (entry.name == name) return &entry;
  }
  return nullptr;
}

ZipError ZipArchive::Extract(const ZipEntry& entry, std::string& out, const InflateLimits& limits) const {
  out.clear();
  if (entry.flags & kEncryptedFlags) return ZipError::kEncrypted;
  if (entry.method != kStored && entry.method != kDeflated) return ZipError::kUnsupported;
  // Checked again here: the entry may not be one of this archive's.
  if (uint64_t{entry.dataOffset} + entry.compressedSize > bytes_.size()) return ZipError::kBroken;
  const std::string_view data = bytes_.substr(entry.dataOffset, entry.compressedSize);
  const uint64_t ratioCap = limits.maxRatio * entry.compressedSize;
  const uint64_t cap = std::min(limits.maxBytes, entry.method == kStored ? limits.maxBytes : ratioCap);
  if (entry.size > cap) return ZipError::kTooLarge;

  ZipError error = ZipError::kNone;
  if (entry.method == kStored) {
    if (entry.compressedSize != entry.size) return ZipError::kSizeMismatch;
    out.assign(data);
  } else {
    error = Inflate(data, cap, entry.size, out);
  }
  if (error == ZipError::kNone && Crc32(out) != entry.crc32) error = ZipError::kCrcMismatch;
  if (error != ZipError::kNone) std::string().swap(out);
  return error;
}
