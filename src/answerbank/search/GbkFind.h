// Finding text in GBK byte strings without ever matching inside a double-byte character.
#pragma once
#include <string_view>

namespace gbk {

// 1-based byte position of the first occurrence of `pattern` in `text` at or
// after the 1-based `start` (0 means from the start), or -1 when there is none
// or the pattern is empty. Comparison is byte for byte; after a failed
// comparison at a lead byte the scan moves on two bytes, so a match never starts
// on the second byte of a character.
int Find(std::string_view text, std::string_view pattern, int start);

}  // namespace gbk
