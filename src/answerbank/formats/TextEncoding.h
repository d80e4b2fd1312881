// Which encoding a text file's bytes are in, whether they are text at all, and
// the conversions between UTF-8, UTF-16 bytes and UTF-16 units. GBK to UTF-16
// is the system's (code page 936) and stays at the Windows boundary.
//
// UTF-16 is char16_t here: wchar_t is 32 bits wide outside Windows.
#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

enum class TextEncoding { kGbk, kUtf8, kUtf16Le, kUtf16Be };

struct DetectedEncoding {
  TextEncoding encoding = TextEncoding::kGbk;
  size_t bomBytes = 0;  // length of the byte order mark in front of the text

  bool operator==(const DetectedEncoding& other) const {
    return encoding == other.encoding && bomBytes == other.bomBytes;
  }
};

// A UTF-8 or UTF-16 byte order mark decides. Without one, valid UTF-8 with at
// least one multi-byte sequence is UTF-8; anything else is GBK (which it may
// still fail to be: see IsTextIn). ASCII alone reads the same either way and
// counts as GBK, the program's own encoding.
DetectedEncoding DetectEncoding(std::string_view bytes);

// Whether `body` (the bytes after any byte order mark) is well-formed in
// `encoding` and holds no NUL character. GBK is checked by its structure: a
// lead byte 0x81-0xFE takes a trail byte 0x40-0x7E or 0x80-0xFE; 0x80 alone
// is the euro sign of code page 936; 0xFF is never valid.
bool IsTextIn(std::string_view body, TextEncoding encoding);

// The length in bytes of the longest start of `body` that is text in
// `encoding` (see IsTextIn): it ends before the first NUL character or the
// first sequence that is not well-formed. All of `body` when it is text.
size_t TextPrefixLength(std::string_view body, TextEncoding encoding);

// The byte order mark written in front of a text saved in `encoding`; none for GBK.
std::string_view ByteOrderMark(TextEncoding encoding);

// Strict conversions: an ill-formed sequence (overlong form, encoded surrogate,
// beyond U+10FFFF, cut short, unpaired surrogate, odd byte count) gives no
// result rather than a replacement character.
std::optional<std::u16string> Utf8ToUtf16(std::string_view utf8);
std::optional<std::string> Utf16ToUtf8(std::u16string_view utf16);
std::optional<std::u16string> Utf16BytesToUnits(std::string_view bytes, TextEncoding byteOrder);
// Units to bytes in the order of `byteOrder` (kUtf16Le or kUtf16Be), unchecked.
std::string Utf16UnitsToBytes(std::u16string_view units, TextEncoding byteOrder);

// UTF-8 or UTF-16 file bytes (after the byte order mark) as UTF-16 units, when
// they are text in that encoding (see IsTextIn); no result for GBK.
std::optional<std::u16string> DecodeUnicodeText(std::string_view body, TextEncoding encoding);

// Every line end (CR LF, a lone LF or a lone CR) becomes CR LF: the answer
// bank counts CR LF as one character position and a lone CR would throw the
// count out.
std::u16string WithCrLfLineEnds(std::u16string_view text);
