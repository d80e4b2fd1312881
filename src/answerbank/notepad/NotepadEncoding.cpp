#include "answerbank/notepad/NotepadEncoding.h"

#include <algorithm>

#include "answerbank/notepad/NotepadFile.h"
#include "platform/Utf16.h"

const char* const kSaveWhileReading = "读取尚未完成，没有保存";

namespace {

// The line ends a text uses throughout; CR LF when it has none or mixes them.
LineEnd LineEndsOf(std::u16string_view text) {
  const bool cr = text.find(u'\r') != std::u16string_view::npos;
  const bool lf = text.find(u'\n') != std::u16string_view::npos;
  if (lf && !cr) return LineEnd::kLf;
  if (cr && !lf) return LineEnd::kCr;
  return LineEnd::kCrLf;
}

// The box's CR LF line ends as `end`.
std::u16string WithLineEnds(std::u16string_view crlfText, LineEnd end) {
  if (end == LineEnd::kCrLf) return std::u16string(crlfText);
  const char16_t single = end == LineEnd::kLf ? u'\n' : u'\r';
  std::u16string out;
  out.reserve(crlfText.size());
  for (size_t i = 0; i < crlfText.size(); ++i) {
    if (crlfText[i] == u'\r' && i + 1 < crlfText.size() && crlfText[i + 1] == u'\n') {
      out += single;
      ++i;
    } else {
      out += crlfText[i];
    }
  }
  return out;
}

// UTF-8 of a text whose lone surrogate halves, counted in `lost`, become U+FFFD.
std::string Utf8Replacing(std::u16string_view text, size_t& lost) {
  std::u16string paired(text);
  for (size_t i = 0; i < paired.size(); ++i) {
    if (IsHighSurrogate(paired[i]) && i + 1 < paired.size() && IsLowSurrogate(paired[i + 1])) {
      ++i;
    } else if (IsSurrogate(paired[i])) {
      paired[i] = u'\xFFFD';
      ++lost;
    }
  }
  return Utf16ToUtf8(paired).value_or(std::string());
}

// `text` (line ends already as the file has them) in the file's encoding,
// byte order mark first. GBK counts what it cannot hold in `missing`; UTF-8
// counts lone surrogate halves in `lost`; UTF-16 holds any unit.
std::string Encode(std::u16string_view text, const NoteFileFormat& format, const GbkCodec& gbk, size_t& missing,
                   size_t& lost) {
  if (format.encoding == TextEncoding::kGbk) return gbk.encode(text, missing);
  std::string bytes(format.byteOrderMark ? ByteOrderMark(format.encoding) : std::string_view());
  if (format.encoding == TextEncoding::kUtf8) return bytes + Utf8Replacing(text, lost);
  return bytes + Utf16UnitsToBytes(text, format.encoding);
}

size_t LoneSurrogates(std::u16string_view text) {
  size_t lost = 0;
  Utf8Replacing(text, lost);
  return lost;
}

std::string FormatName(const NoteFileFormat& format) {
  switch (format.encoding) {
    case TextEncoding::kGbk:
      return "GBK";
    case TextEncoding::kUtf8:
      return format.byteOrderMark ? "UTF-8 BOM" : "UTF-8";
    case TextEncoding::kUtf16Le:
      return "UTF-16 LE";
    case TextEncoding::kUtf16Be:
      return "UTF-16 BE";
  }
  return {};
}

// The plain success text for the program's own GBK; other encodings are named.
std::string Success(const char* text, const NoteFileFormat& format) {
  if (format.encoding == TextEncoding::kGbk) return text;
  return std::string(text) + "（" + FormatName(format) + "）";
}

}  // namespace

NoteReading ReadNoteBytes(std::string_view fileBytes, const GbkCodec& gbk) {
  NoteReading reading;
  const DetectedEncoding detected = DetectEncoding(fileBytes);
  reading.format.encoding = detected.encoding;
  reading.format.byteOrderMark = detected.bomBytes > 0;
  const std::string_view body = fileBytes.substr(detected.bomBytes);
  std::u16string text;
  size_t used;
  if (detected.encoding == TextEncoding::kGbk) {
    const std::string shown = TextUpToFirstZero(body);
    used = shown.size();
    text = gbk.decode(shown);
  } else {
    used = TextPrefixLength(body, detected.encoding);
    text = DecodeUnicodeText(body.substr(0, used), detected.encoding).value_or(std::u16string());
  }
  reading.bytesUsed = detected.bomBytes + used;
  reading.format.lineEnd = LineEndsOf(text);
  reading.text = WithCrLfLineEnds(text);
  return reading;
}

NoteSaving SaveNoteBytes(std::u16string_view boxText, const NoteFileFormat& format, const GbkCodec& gbk) {
  NoteSaving saving;
  saving.format = format;
  const std::u16string text = WithLineEnds(boxText, format.lineEnd);
  size_t missing = 0;
  saving.bytes = Encode(text, format, gbk, missing, saving.lost);
  if (missing == 0) return saving;
  // Lone surrogate halves are lost in UTF-8 as well: only characters GBK lacks
  // are worth a change of encoding.
  const size_t lone = LoneSurrogates(text);
  if (missing <= lone) {
    saving.lost = missing;
    return saving;
  }
  saving.format.encoding = TextEncoding::kUtf8;
  saving.format.byteOrderMark = false;
  saving.movedToUtf8 = missing - lone;
  saving.lost = 0;
  saving.bytes = Encode(text, saving.format, gbk, missing, saving.lost);
  return saving;
}

std::string ReadNoteStatus(std::string_view fileBytes, const NoteReading& reading, std::u16string_view shown,
                           const GbkCodec& gbk) {
  size_t missing = 0, lost = 0;
  const std::string again = Encode(WithLineEnds(shown, reading.format.lineEnd), reading.format, gbk, missing, lost);
  if (again == fileBytes) return Success(kReadNoteDone, reading.format);
  const size_t same = static_cast<size_t>(
      std::mismatch(again.begin(), again.begin() + std::min(again.size(), fileBytes.size()), fileBytes.begin()).first -
      again.begin());
  if (reading.bytesUsed < fileBytes.size()) {
    return "读取不完整：只显示了前 " + std::to_string(same) + " 字节，文件共 " + std::to_string(fileBytes.size()) +
           " 字节";
  }
  return "读取有误：自第 " + std::to_string(same + 1) + " 字节起无法原样显示";
}

std::string SaveNoteStatus(const NoteSaving& saving) {
  if (saving.lost > 0) {
    return "已保存，但有 " + std::to_string(saving.lost) + " 个字符无法保存" +
           (saving.movedToUtf8 > 0 ? "（已改存为 UTF-8）" : "");
  }
  if (saving.movedToUtf8 > 0) {
    return "已改存为 UTF-8：有 " + std::to_string(saving.movedToUtf8) + " 个字符 GBK 存不下";
  }
  return Success(kSaveNoteDone, saving.format);
}
