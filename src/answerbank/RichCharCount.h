// How many character positions a GBK text occupies in a rich edit box: a
// double-byte character counts one, and so does a CR LF line break.
#pragma once
#include <cstddef>
#include <string_view>

// Counts prefixes of one text from left to right without starting over: the
// count of a prefix depends only on the bytes before its end, walked from the
// first byte, so each count continues the walk where the previous one stopped.
class RichCharWalker {
 public:
  explicit RichCharWalker(std::string_view text) : text_(text) {}

  // Positions occupied by the first `prefixBytes` bytes. Calls must not ask for
  // a shorter prefix than the call before (the walk only goes forward).
  long long CountPrefix(size_t prefixBytes);

 private:
  std::string_view text_;
  size_t next_ = 1;         // 1-based position of the next byte to examine
  long long merged_ = 0;    // two-byte steps taken so far
};

long long RichCharCount(std::string_view text);
