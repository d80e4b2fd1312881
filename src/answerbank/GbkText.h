// Finding text in GBK byte strings without ever matching inside a double-byte character.
#pragma once
#include <string_view>

namespace gbk {

// A byte that opens a double-byte GBK character. 0x80 is excluded: code page 936
// uses it alone for the euro sign, and treating it as a lead byte would swallow
// the character after it.
inline bool IsLeadByte(unsigned char byte) { return byte >= 0x81; }

// 1-based byte position of the first occurrence of `pattern` in `text` at or
// after the 1-based `start` (0 means from the start), or -1 when there is none
// or the pattern is empty. Comparison is byte for byte; after a failed
// comparison at a lead byte the scan moves on two bytes, so a match never starts
// on the second byte of a character.
int Find(std::string_view text, std::string_view pattern, int start);

}  // namespace gbk
