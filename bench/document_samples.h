// The documents the reading benchmarks time, made the same way natively and
// under Wine: about 1 MB (in UTF-8) of Chinese and ASCII lines, and a Word
// document holding that text as paragraphs, with a table every 50 lines.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace benchdoc {

// One line: common CJK ideographs and ASCII words, without its line end.
inline std::u16string Line(uint32_t& seed) {
  std::u16string line;
  for (int word = 0; word < 8; ++word) {
    seed = seed * 1103515245u + 12345u;
    if (seed >> 28 < 3) {
      line += u"Answer ";
    } else {
      for (int i = 0; i < 4; ++i) line += static_cast<char16_t>(0x4E00 + (seed >> (i * 4 + 8)) % 0x51A6);
    }
  }
  return line;
}

inline std::vector<std::u16string> Lines(size_t utf8Bytes) {
  std::vector<std::u16string> lines;
  uint32_t seed = 2018;
  size_t bytes = 0;
  while (bytes < utf8Bytes) {
    lines.push_back(Line(seed));
    for (char16_t unit : lines.back()) bytes += unit < 0x80 ? 1 : 3;
    bytes += 2;
  }
  return lines;
}

inline std::u16string Text(const std::vector<std::u16string>& lines) {
  std::u16string text;
  for (const std::u16string& line : lines) text += line + u"\r\n";
  return text;
}

// A document's events, kept so that a benchmark can time the text
// extraction apart from any XML parser.
struct Event {
  enum Kind { kStart, kEnd, kText } kind;
  std::u16string value;  // the local name of a start, the text of a text
};

// Every line a paragraph; every 50th line a one-row table of its two halves.
inline std::vector<Event> DocumentEvents(const std::vector<std::u16string>& lines) {
  std::vector<Event> events;
  auto open = [&](const char16_t* name) { events.push_back({Event::kStart, name}); };
  auto close = [&] { events.push_back({Event::kEnd, {}}); };
  auto paragraph = [&](const std::u16string& text) {
    open(u"p");
    open(u"r");
    open(u"t");
    events.push_back({Event::kText, text});
    close();
    close();
    close();
  };
  open(u"document");
  open(u"body");
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i % 50 != 49) {
      paragraph(lines[i]);
      continue;
    }
    open(u"tbl");
    open(u"tr");
    for (const std::u16string& half : {lines[i].substr(0, lines[i].size() / 2), lines[i].substr(lines[i].size() / 2)}) {
      open(u"tc");
      paragraph(half);
      close();
    }
    close();
    close();
  }
  close();
  close();
  return events;
}

// The events as WordprocessingML in UTF-8 (the text holds nothing to escape).
inline std::string DocumentXml(const std::vector<Event>& events) {
  std::string xml =
      "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n";
  std::vector<const std::u16string*> open;
  auto utf8 = [&](const std::u16string& text) {
    for (char16_t unit : text) {
      if (unit < 0x80) {
        xml += static_cast<char>(unit);
      } else {
        xml += static_cast<char>(0xE0 | unit >> 12);
        xml += static_cast<char>(0x80 | (unit >> 6 & 0x3F));
        xml += static_cast<char>(0x80 | (unit & 0x3F));
      }
    }
  };
  for (const Event& event : events) {
    if (event.kind == Event::kText) {
      utf8(event.value);
    } else if (event.kind == Event::kStart) {
      xml += "<w:";
      utf8(event.value);
      if (open.empty()) xml += " xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"";
      xml += ">";
      open.push_back(&event.value);
    } else {
      xml += "</w:";
      utf8(*open.back());
      xml += ">";
      open.pop_back();
    }
  }
  return xml;
}

}  // namespace benchdoc
