// XML events as bytes, so that a fuzzer can drive a document's text
// extraction with any sequence of events, including ones no parser would
// produce, and a seed generator can write well-formed sequences.
//
// Each event starts with one byte: its top two bits say what it is.
//   00 element start, 11 empty element (start and end): the next byte picks
//      the namespace (top three bits) and the local name (low five bits);
//   01 element end;
//   10 text: the low six bits are its length, each following byte one unit
//      (ASCII below 0x80, a CJK character above).
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "answerbank/formats/XmlEvents.h"

namespace fuzzevents {

inline const std::u16string_view kNamespaces[] = {
    u"http://schemas.openxmlformats.org/wordprocessingml/2006/main",
    u"http://purl.oclc.org/ooxml/wordprocessingml/main",
    u"http://schemas.openxmlformats.org/markup-compatibility/2006",
    u"urn:other",
    u"",
};
inline const std::u16string_view kNames[] = {
    u"p",      u"r",     u"t",        u"tab",          u"ptab",      u"br",     u"cr",     u"tr",
    u"tc",     u"tbl",   u"del",      u"moveFrom",     u"delText",   u"instrText", u"delInstrText", u"Fallback",
    u"Choice", u"ins",   u"body",     u"noBreakHyphen", u"moveTo",   u"pPr",    u"tabs",   u"document",
};
constexpr size_t kNamespaceCount = sizeof kNamespaces / sizeof kNamespaces[0];
constexpr size_t kNameCount = sizeof kNames / sizeof kNames[0];

inline void Decode(const uint8_t* data, size_t size, XmlEventSink& sink) {
  std::u16string text;
  for (size_t at = 0; at < size && !sink.Full();) {
    const uint8_t op = data[at++];
    switch (op >> 6) {
      case 0:
      case 3: {
        if (at == size) return;
        const uint8_t pick = data[at++];
        sink.StartElement(kNamespaces[(pick >> 5) % kNamespaceCount], kNames[(pick & 0x1F) % kNameCount]);
        if (op >> 6 == 3) sink.EndElement();
        break;
      }
      case 1:
        sink.EndElement();
        break;
      case 2: {
        const size_t length = op & 0x3F;
        text.clear();
        for (size_t i = 0; i < length && at < size; ++i, ++at) {
          text += data[at] < 0x80 ? static_cast<char16_t>(data[at]) : static_cast<char16_t>(0x4E00 + data[at]);
        }
        sink.Characters(text);
        break;
      }
    }
  }
}

// Writing side, for seeds: names from the table, namespaces by their index
// (0 WordprocessingML, 2 markup compatibility, 3 another).
class Encoder {
 public:
  Encoder& Start(std::u16string_view name, size_t ns = 0) { return Element(0x00, name, ns); }
  Encoder& Empty(std::u16string_view name, size_t ns = 0) { return Element(0xC0, name, ns); }
  Encoder& End() {
    bytes_ += '\x40';
    return *this;
  }
  Encoder& Text(std::string_view ascii) {
    bytes_ += static_cast<char>(0x80 | ascii.size());
    bytes_ += ascii;
    return *this;
  }
  const std::string& Bytes() const { return bytes_; }

 private:
  Encoder& Element(uint8_t op, std::u16string_view name, size_t ns) {
    size_t index = 0;
    while (index + 1 < kNameCount && kNames[index] != name) ++index;
    bytes_ += static_cast<char>(op);
    bytes_ += static_cast<char>(ns << 5 | index);
    return *this;
  }
  std::string bytes_;
};

}  // namespace fuzzevents
