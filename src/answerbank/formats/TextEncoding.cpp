#include "answerbank/formats/TextEncoding.h"

#include "platform/Text.h"
#include "platform/Utf16.h"

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeBom = "\xFF\xFE";
constexpr std::string_view kUtf16BeBom = "\xFE\xFF";

bool StartsWith(std::string_view bytes, std::string_view prefix) { return bytes.substr(0, prefix.size()) == prefix; }

unsigned char At(std::string_view bytes, size_t i) { return static_cast<unsigned char>(bytes[i]); }

// UTF-16 unit `k` of `bytes` in the byte order of `byteOrder` (kUtf16Le or kUtf16Be).
char16_t Utf16UnitAt(std::string_view bytes, size_t k, TextEncoding byteOrder) {
  const unsigned first = At(bytes, 2 * k), second = At(bytes, 2 * k + 1);
  return static_cast<char16_t>(byteOrder == TextEncoding::kUtf16Be ? (first << 8) | second : (second << 8) | first);
}

// The well-formed UTF-8 sequence starting at `i`: its length, with its code
// point in `codePoint`; 0 when the bytes there form none. The second byte's
// range shuts out overlong forms, encoded surrogates and code points beyond
// U+10FFFF.
size_t Utf8SequenceAt(std::string_view bytes, size_t i, char32_t& codePoint) {
  const unsigned char lead = At(bytes, i);
  if (lead < 0x80) {
    codePoint = lead;
    return 1;
  }
  size_t length;
  unsigned char low = 0x80, high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (bytes.size() - i < length) return 0;
  const unsigned char second = At(bytes, i + 1);
  if (second < low || second > high) return 0;
  char32_t value = lead & (0x7F >> length);
  for (size_t k = 1; k < length; ++k) {
    const unsigned char trail = At(bytes, i + k);
    if ((trail & 0xC0) != 0x80) return 0;
    value = (value << 6) | (trail & 0x3F);
  }
  codePoint = value;
  return length;
}

// Whether every surrogate in `units` is one half of a pair in the right order.
bool SurrogatesPaired(std::u16string_view units) {
  for (size_t i = 0; i < units.size(); ++i) {
    if (IsHighSurrogate(units[i])) {
      if (i + 1 == units.size() || !IsLowSurrogate(units[i + 1])) return false;
      ++i;
    } else if (IsLowSurrogate(units[i])) {
      return false;
    }
  }
  return true;
}

struct Utf8Scan {
  bool valid = true;
  bool multiByte = false;
};

Utf8Scan ScanUtf8(std::string_view bytes) {
  Utf8Scan scan;
  for (size_t i = 0; i < bytes.size();) {
    if (At(bytes, i) < 0x80) {
      ++i;
      continue;
    }
    char32_t codePoint;
    const size_t length = Utf8SequenceAt(bytes, i, codePoint);
    if (length == 0) return {false, scan.multiByte};
    scan.multiByte = true;
    i += length;
  }
  return scan;
}

bool HasNul(std::u16string_view units) { return units.find(u'\0') != std::u16string_view::npos; }

}  // namespace

DetectedEncoding DetectEncoding(std::string_view bytes) {
  if (StartsWith(bytes, kUtf8Bom)) return {TextEncoding::kUtf8, kUtf8Bom.size()};
  if (StartsWith(bytes, kUtf16LeBom)) return {TextEncoding::kUtf16Le, kUtf16LeBom.size()};
  if (StartsWith(bytes, kUtf16BeBom)) return {TextEncoding::kUtf16Be, kUtf16BeBom.size()};
  const Utf8Scan scan = ScanUtf8(bytes);
  return {scan.valid && scan.multiByte ? TextEncoding::kUtf8 : TextEncoding::kGbk, 0};
}

bool IsTextIn(std::string_view body, TextEncoding encoding) {
  return TextPrefixLength(body, encoding) == body.size();
}

size_t TextPrefixLength(std::string_view body, TextEncoding encoding) {
  size_t i = 0;
  switch (encoding) {
    case TextEncoding::kGbk:
      while (i < body.size()) {
        const unsigned char byte = At(body, i);
        if (byte == 0 || byte == 0xFF) break;
        if (!gbk::IsLeadByte(byte)) {  // ASCII, or 0x80: the euro sign
          ++i;
          continue;
        }
        if (i + 1 == body.size() || !gbk::IsTrailByte(At(body, i + 1))) break;
        i += 2;
      }
      return i;
    case TextEncoding::kUtf8:
      while (i < body.size() && At(body, i) != 0) {
        char32_t codePoint;
        const size_t length = Utf8SequenceAt(body, i, codePoint);
        if (length == 0) break;
        i += length;
      }
      return i;
    case TextEncoding::kUtf16Le:
    case TextEncoding::kUtf16Be: {
      auto unitAt = [&](size_t k) { return Utf16UnitAt(body, k, encoding); };
      const size_t units = body.size() / 2;
      while (i < units) {
        const char16_t unit = unitAt(i);
        if (unit == 0 || IsLowSurrogate(unit)) break;
        if (IsHighSurrogate(unit)) {
          if (i + 1 == units || !IsLowSurrogate(unitAt(i + 1))) break;
          ++i;
        }
        ++i;
      }
      return 2 * i;
    }
  }
  return 0;
}

std::string_view ByteOrderMark(TextEncoding encoding) {
  switch (encoding) {
    case TextEncoding::kUtf8:
      return kUtf8Bom;
    case TextEncoding::kUtf16Le:
      return kUtf16LeBom;
    case TextEncoding::kUtf16Be:
      return kUtf16BeBom;
    case TextEncoding::kGbk:
      break;
  }
  return {};
}

std::optional<std::u16string> Utf8ToUtf16(std::string_view utf8) {
  std::u16string units;
  units.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size();) {
    char32_t codePoint;
    const size_t length = Utf8SequenceAt(utf8, i, codePoint);
    if (length == 0) return std::nullopt;
    i += length;
    if (codePoint < 0x10000) {
      units += static_cast<char16_t>(codePoint);
    } else {
      codePoint -= 0x10000;
      units += static_cast<char16_t>(0xD800 + (codePoint >> 10));
      units += static_cast<char16_t>(0xDC00 + (codePoint & 0x3FF));
    }
  }
  return units;
}

std::optional<std::string> Utf16ToUtf8(std::u16string_view utf16) {
  std::string bytes;
  bytes.reserve(utf16.size() * 3);
  for (size_t i = 0; i < utf16.size(); ++i) {
    char32_t codePoint = utf16[i];
    if (IsHighSurrogate(utf16[i])) {
      if (i + 1 == utf16.size() || !IsLowSurrogate(utf16[i + 1])) return std::nullopt;
      codePoint = CombineSurrogates(codePoint, utf16[++i]);
    } else if (IsLowSurrogate(utf16[i])) {
      return std::nullopt;
    }
    if (codePoint < 0x80) {
      bytes += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
      bytes += static_cast<char>(0xC0 | (codePoint >> 6));
      bytes += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
      bytes += static_cast<char>(0xE0 | (codePoint >> 12));
      bytes += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
      bytes += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
      bytes += static_cast<char>(0xF0 | (codePoint >> 18));
      bytes += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
      bytes += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
      bytes += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
  }
  return bytes;
}

std::optional<std::u16string> Utf16BytesToUnits(std::string_view bytes, TextEncoding byteOrder) {
  if (bytes.size() % 2 != 0) return std::nullopt;
  std::u16string units(bytes.size() / 2, u'\0');
  for (size_t i = 0; i < units.size(); ++i) units[i] = Utf16UnitAt(bytes, i, byteOrder);
  if (!SurrogatesPaired(units)) return std::nullopt;
  return units;
}

std::string Utf16UnitsToBytes(std::u16string_view units, TextEncoding byteOrder) {
  const bool bigEndian = byteOrder == TextEncoding::kUtf16Be;
  std::string bytes(units.size() * 2, '\0');
  for (size_t i = 0; i < units.size(); ++i) {
    const char high = static_cast<char>(units[i] >> 8), low = static_cast<char>(units[i] & 0xFF);
    bytes[2 * i] = bigEndian ? high : low;
    bytes[2 * i + 1] = bigEndian ? low : high;
  }
  return bytes;
}

std::optional<std::u16string> DecodeUnicodeText(std::string_view body, TextEncoding encoding) {
  std::optional<std::u16string> units;
  if (encoding == TextEncoding::kUtf8) {
    units = Utf8ToUtf16(body);
  } else if (encoding == TextEncoding::kUtf16Le || encoding == TextEncoding::kUtf16Be) {
    units = Utf16BytesToUnits(body, encoding);
  }
  if (units && HasNul(*units)) return std::nullopt;
  return units;
}

std::u16string WithCrLfLineEnds(std::u16string_view text) {
  std::u16string out;
  out.reserve(text.size() + text.size() / 16);
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t unit = text[i];
    if (unit == u'\r' || unit == u'\n') {
      out += u"\r\n";
      if (unit == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
    } else {
      out += unit;
    }
  }
  return out;
}
