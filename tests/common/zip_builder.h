// Builds ZIP archives in memory for the tests, the fuzzers' seeds and the
// benchmarks: stored or deflated entries, and on request the faults a reader
// must refuse (wrong sizes or CRC, flags, methods, entries sharing data).
#pragma once
#include <zlib.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace ziptest {

inline std::string RawDeflate(std::string_view data) {
  z_stream stream{};
  deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
  std::string out(deflateBound(&stream, static_cast<uLong>(data.size())), '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  stream.avail_in = static_cast<uInt>(data.size());
  stream.next_out = reinterpret_cast<Bytef*>(&out[0]);
  stream.avail_out = static_cast<uInt>(out.size());
  deflate(&stream, Z_FINISH);
  out.resize(stream.total_out);
  deflateEnd(&stream);
  return out;
}

inline uint32_t Crc(std::string_view data) {
  return static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
}

struct Entry {
  std::string name;
  std::string data;  // as written: deflated already when method is 8
  uint16_t method = 0;
  uint16_t flags = 0x0800;  // names in UTF-8
  uint32_t crc = 0;
  uint32_t size = 0;
  int sharesDataOf = -1;  // index of an earlier entry whose local record this one points at
};

class Builder {
 public:
  // Adds an entry and returns it, so that a test can falsify a field.
  Entry& Add(std::string name, std::string_view content, bool deflated) {
    Entry entry;
    entry.name = std::move(name);
    entry.method = deflated ? 8 : 0;
    entry.data = deflated ? RawDeflate(content) : std::string(content);
    entry.crc = Crc(content);
    entry.size = static_cast<uint32_t>(content.size());
    entries_.push_back(std::move(entry));
    return entries_.back();
  }
  Entry& At(size_t i) { return entries_[i]; }

  std::string Finish() const {
    std::string out;
    std::vector<uint32_t> offsets;
    for (const Entry& entry : entries_) {
      if (entry.sharesDataOf >= 0) {
        offsets.push_back(offsets[static_cast<size_t>(entry.sharesDataOf)]);
        continue;
      }
      offsets.push_back(static_cast<uint32_t>(out.size()));
      U32(out, 0x04034b50);
      U16(out, 20);
      Common(out, entry);
      U16(out, 0);  // extra field length
      out += entry.name;
      out += entry.data;
    }
    const uint32_t directoryOffset = static_cast<uint32_t>(out.size());
    for (size_t i = 0; i < entries_.size(); ++i) {
      U32(out, 0x02014b50);
      U16(out, 20);
      U16(out, 20);
      Common(out, entries_[i]);
      U16(out, 0);  // extra field length
      U16(out, 0);  // comment length
      U16(out, 0);  // disk
      U16(out, 0);  // internal attributes
      U32(out, 0);  // external attributes
      U32(out, offsets[i]);
      out += entries_[i].name;
    }
    const uint32_t directorySize = static_cast<uint32_t>(out.size()) - directoryOffset;
    U32(out, 0x06054b50);
    U16(out, 0);
    U16(out, 0);
    U16(out, static_cast<uint16_t>(entries_.size()));
    U16(out, static_cast<uint16_t>(entries_.size()));
    U32(out, directorySize);
    U32(out, directoryOffset);
    U16(out, 0);
    return out;
  }

 private:
  static void U16(std::string& out, uint16_t value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>(value >> 8);
  }
  static void U32(std::string& out, uint32_t value) {
    U16(out, static_cast<uint16_t>(value & 0xFFFF));
    U16(out, static_cast<uint16_t>(value >> 16));
  }
  // Flags to name length: the fields local and central records share.
  static void Common(std::string& out, const Entry& entry) {
    U16(out, entry.flags);
    U16(out, entry.method);
    U32(out, 0);  // time and date
    U32(out, entry.crc);
    U32(out, static_cast<uint32_t>(entry.data.size()));
    U32(out, entry.size);
    U16(out, static_cast<uint16_t>(entry.name.size()));
  }

  std::vector<Entry> entries_;
};

// A minimal .docx around the given body XML (the content of w:body).
inline std::string WordDocumentXml(std::string_view body) {
  return std::string(
             "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
             "<w:document xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\" "
             "xmlns:mc=\"http://schemas.openxmlformats.org/markup-compatibility/2006\"><w:body>") +
         std::string(body) + "</w:body></w:document>";
}

inline std::string Docx(std::string_view documentXml, bool deflated = true) {
  Builder zip;
  zip.Add("[Content_Types].xml",
          "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Types "
          "xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\"><Override PartName=\"/word/"
          "document.xml\" ContentType=\"application/"
          "vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml\"/></Types>",
          deflated);
  zip.Add("word/document.xml", documentXml, deflated);
  return zip.Finish();
}

}  // namespace ziptest
