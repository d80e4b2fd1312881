// Reading a ZIP archive held in memory, such as a .docx: its central
// directory, and the stored or deflated data of one entry. Anything malformed
// gives an error value, never a crash; nothing is trusted that the bytes say
// about themselves before it has been checked against the bytes.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

enum class ZipError {
  kNone,
  kNotAnArchive,        // no end of central directory record
  kBroken,              // a record cut short, out of range or with a wrong signature
  kOverlapping,         // entries share bytes with each other or with the directory
  kUnsupported,         // multi-volume or ZIP64 archive, or a method other than stored and deflated
  kEncrypted,
  kBadData,             // the deflated stream is damaged
  kSizeMismatch,        // the data is not as long as the directory says
  kCrcMismatch,
  kTooLarge,            // would inflate beyond the limits: a zip bomb
  kNoSuchEntry,
};

struct ZipEntry {
  std::string name;  // the bytes of the name as stored (UTF-8 in an Office file)
  uint16_t flags = 0;
  uint16_t method = 0;
  uint32_t crc32 = 0;
  uint32_t compressedSize = 0;
  uint32_t size = 0;
  // Where the entry's data starts in the archive: after its local header.
  size_t dataOffset = 0;
};

// How far one entry may inflate, whatever its header says.
struct InflateLimits {
  uint64_t maxBytes = 64u << 20;
  uint64_t maxRatio = 100;  // times the compressed size
};

class ZipArchive {
 public:
  // Reads the central directory and every entry's local header. `bytes` must
  // outlive the archive. On failure the archive is empty and Error() says why.
  explicit ZipArchive(std::string_view bytes);

  ZipError Error() const { return error_; }
  const std::vector<ZipEntry>& Entries() const { return entries_; }
  // The entry whose stored name is exactly `name`, or null.
  const ZipEntry* Find(std::string_view name) const;

  // The entry's data, stored or inflated, into `out`; checked against its
  // declared size and CRC. Inflating stops as soon as the output passes a
  // limit; `out` is left empty on any error.
  ZipError Extract(const ZipEntry& entry, std::string& out, const InflateLimits& limits = {}) const;

 private:
  ZipError ReadDirectory();

  std::string_view bytes_;
  std::vector<ZipEntry> entries_;
  ZipError error_ = ZipError::kNone;
};
