// Any bytes as a text file: detection, the text checks and the conversions.
// Nothing crashes; what converts converts back to the same bytes; detection
// agrees with the text checks; line ends come out as CR LF only.
#include <cstdint>
#include <cstdlib>

#include "answerbank/formats/TextEncoding.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const DetectedEncoding detected = DetectEncoding(bytes);
  Require(detected.bomBytes <= size);
  const std::string_view body = bytes.substr(detected.bomBytes);
  // UTF-8 without a BOM is only ever detected when it is well-formed.
  if (detected.encoding == TextEncoding::kUtf8 && detected.bomBytes == 0) Require(Utf8ToUtf16(body).has_value());

  if (const auto units = Utf8ToUtf16(bytes)) Require(Utf16ToUtf8(*units) == bytes);
  for (TextEncoding order : {TextEncoding::kUtf16Le, TextEncoding::kUtf16Be}) {
    if (const auto units = Utf16BytesToUnits(bytes, order)) Require(Utf16UnitsToBytes(*units, order) == bytes);
  }
  for (TextEncoding encoding : {TextEncoding::kUtf8, TextEncoding::kUtf16Le, TextEncoding::kUtf16Be}) {
    const auto text = DecodeUnicodeText(bytes, encoding);
    Require(text.has_value() == IsTextIn(bytes, encoding));
    if (!text) continue;
    const std::u16string lines = WithCrLfLineEnds(*text);
    for (size_t i = 0; i < lines.size(); ++i) {
      if (lines[i] == u'\r') Require(i + 1 < lines.size() && lines[i + 1] == u'\n');
      if (lines[i] == u'\n') Require(i > 0 && lines[i - 1] == u'\r');
    }
  }
  if (IsTextIn(bytes, TextEncoding::kGbk)) Require(bytes.find_first_of(std::string_view("\0\xFF", 2)) == bytes.npos);
  return 0;
}
