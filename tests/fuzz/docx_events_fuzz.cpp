// Any sequence of XML events into the text extraction of a Word document:
// nothing crashes, and the text never passes its limit.
#include <cstdint>
#include <cstdlib>

#include "answerbank/formats/DocxText.h"
#include "event_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  constexpr size_t kLimit = 256;
  DocxText text(kLimit);
  fuzzevents::Decode(data, size, text);
  if (text.Text().size() > kLimit) std::abort();
  return 0;
}
