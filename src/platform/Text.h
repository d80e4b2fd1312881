// Conversion between the program's GBK texts and the UTF-16 of the Windows API.
// Always code page 936, whatever the system's code page.
#pragma once
#include <string>
#include <string_view>

constexpr unsigned kGbkCodePage = 936;

namespace gbk {

// A byte that opens a double-byte GBK character. 0x80 is excluded: code page 936
// uses it alone for the euro sign, and treating it as a lead byte would swallow
// the character after it.
constexpr bool IsLeadByte(unsigned char byte) { return byte >= 0x81; }

// A byte that may follow a lead byte in a well-formed character: 0x40-0x7E or 0x80-0xFE.
constexpr bool IsTrailByte(unsigned char byte) { return byte >= 0x40 && byte != 0x7F && byte != 0xFF; }

}  // namespace gbk

std::wstring GbkToWide(std::string_view gbk);
std::string WideToGbk(std::wstring_view wide);

// Like WideToGbk, but every UTF-16 unit that GBK cannot hold becomes exactly one
// '?', surrogate halves included. Text read from a rich edit box goes through
// this, so its byte count stays in step with the box's character positions.
std::string BoxTextToGbk(std::wstring_view wide);

// For writing a file: GBK without the best-fit substitutes (a character GBK
// lacks never turns into a look-alike); every character GBK cannot hold, a
// surrogate pair or a lone half of one included, becomes one '?' and is
// counted in `missing`.
std::string WideToGbkCounting(std::wstring_view wide, size_t& missing);

// The same UTF-16 units as the other type: wchar_t at the Windows boundary,
// char16_t in the platform-free code (where wchar_t is 32 bits wide).
inline std::u16string AsUtf16(std::wstring_view wide) { return std::u16string(wide.begin(), wide.end()); }
inline std::wstring AsWide(std::u16string_view units) { return std::wstring(units.begin(), units.end()); }
