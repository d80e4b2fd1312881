#include "answerbank/search/GbkFind.h"

#include <cstring>

#include "platform/Text.h"

namespace gbk {

int Find(std::string_view text, std::string_view pattern, int start) {
  if (pattern.empty() || text.size() < pattern.size()) return -1;
  const size_t n = text.size();
  const size_t m = pattern.size();
  const unsigned char first = static_cast<unsigned char>(pattern[0]);
  size_t i = start < 1 ? 0 : static_cast<size_t>(start) - 1;  // 0-based
  while (i + m <= n) {
    const unsigned char byte = static_cast<unsigned char>(text[i]);
    if (byte == first && std::memcmp(text.data() + i, pattern.data(), m) == 0) return static_cast<int>(i + 1);
    i += IsLeadByte(byte) ? 2 : 1;
  }
  return -1;
}

}  // namespace gbk
