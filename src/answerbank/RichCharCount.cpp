#include "answerbank/RichCharCount.h"

#include "platform/Text.h"

long long RichCharWalker::CountPrefix(size_t prefixBytes) {
  if (prefixBytes > text_.size()) prefixBytes = text_.size();
  // A byte is examined while its position is below the prefix length; a lead
  // byte or CR merges with the byte after it into one position.
  while (next_ < prefixBytes) {
    const unsigned char byte = static_cast<unsigned char>(text_[next_ - 1]);
    if (gbk::IsLeadByte(byte) || byte == '\r') {
      ++merged_;
      next_ += 2;
    } else {
      next_ += 1;
    }
  }
  return static_cast<long long>(prefixBytes) - merged_;
}

long long RichCharCount(std::string_view text) { return RichCharWalker(text).CountPrefix(text.size()); }
