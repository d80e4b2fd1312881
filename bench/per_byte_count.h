// The character count as first written, for the benchmarks' comparisons:
// messages are processed once for every byte examined.
#pragma once
#include <string>

#include "platform/MessagePump.h"

inline long long PerByteCount(const std::string& text) {
  const size_t n = text.size();
  long long count = static_cast<long long>(n);
  for (size_t b = 1; b < n;) {
    const unsigned char byte = static_cast<unsigned char>(text[b - 1]);
    if (byte >= 0x81 || byte == '\r') {
      --count;
      b += 2;
    } else {
      b += 1;
    }
    PumpPendingMessages();
  }
  return count;
}
