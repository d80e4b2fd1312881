// Any bytes as a ZIP archive: the directory is read and every entry
// extracted. Whatever the input, nothing crashes, and an entry that extracts
// is exactly as long as declared, matches its CRC and stays within the limits.
#include <zlib.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "answerbank/formats/ZipArchive.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const ZipArchive archive(std::string_view(reinterpret_cast<const char*>(data), size));
  const InflateLimits limits{1 << 20, 100};
  std::string out;
  for (const ZipEntry& entry : archive.Entries()) {
    if (archive.Extract(entry, out, limits) != ZipError::kNone) {
      if (!out.empty()) std::abort();
      continue;
    }
    const uint32_t crc = static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(out.data()), static_cast<uInt>(out.size())));
    if (out.size() != entry.size || out.size() > limits.maxBytes || crc != entry.crc32) std::abort();
  }
  return 0;
}
