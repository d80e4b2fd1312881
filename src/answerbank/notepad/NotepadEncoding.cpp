#include "answerbank/notepad/NotepadEncoding.h"

#include <algorithm>

#include "answerbank/notepad/NotepadFile.h"
#include "platform/Utf16.h"

const char* const kSaveWhileReading = "读取尚未完成，没有保存";
const char* const kOverwriteDeclined = "没有保存，文件保持原样";

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

NoteReadCheck CheckNoteRead(std::string_view fileBytes, const NoteReading& reading, std::u16string_view shown,
                            const GbkCodec& gbk) {
  size_t missing = 0, lost = 0;
  const std::string again = Encode(WithLineEnds(shown, reading.format.lineEnd), reading.format, gbk, missing, lost);
  NoteReadCheck check;
  check.fileBytes = fileBytes.size();
  check.exact = again == fileBytes;
  check.sameBytes = static_cast<size_t>(
      std::mismatch(again.begin(), again.begin() + std::min(again.size(), fileBytes.size()), fileBytes.begin()).first -
      again.begin());
  check.cut = reading.bytesUsed < fileBytes.size();
  return check;
}

std::string ReadNoteStatus(const NoteReadCheck& check, const NoteFileFormat& format) {
  if (check.exact) return Success(kReadNoteDone, format);
  if (check.cut) {
    return "读取不完整：只显示了前 " + std::to_string(check.sameBytes) + " 字节，文件共 " +
           std::to_string(check.fileBytes) + " 字节";
  }
  return "读取有误：自第 " + std::to_string(check.sameBytes + 1) + " 字节起无法原样显示";
}

std::string ReadNoteStatus(std::string_view fileBytes, const NoteReading& reading, std::u16string_view shown,
                           const GbkCodec& gbk) {
  return ReadNoteStatus(CheckNoteRead(fileBytes, reading, shown, gbk), reading.format);
}

std::string OverwriteQuestion(const NoteReadCheck& check) {
  const std::string total = std::to_string(check.fileBytes);
  std::string what;
  if (check.unfinished) {
    what = "上次读取没有完成，框里可能只有文件的一部分（文件共 " + total +
           " 字节）。\n保存会用框里的文字替换整个文件，没有读入的内容将会丢失。";
  } else if (check.cut) {
    what = "读取时只显示了文件的前 " + std::to_string(check.sameBytes) + " 字节，文件共 " + total +
           " 字节。\n保存会用框里的文字替换整个文件，后面的 " + std::to_string(check.fileBytes - check.sameBytes) +
           " 字节将会丢失。";
  } else {
    what = "文件自第 " + std::to_string(check.sameBytes + 1) + " 字节起无法原样显示（文件共 " + total +
           " 字节）。\n保存会用框里的文字替换整个文件，这些字节将被改写。";
  }
  return what + "\n\n仍要保存吗？";
}

std::string OverwriteStatus(const NoteReadCheck& check, const NoteSaving& saving) {
  std::string status = "已保存 " + std::to_string(saving.bytes.size()) + " 字节（" + FormatName(saving.format) +
                       "），替换了原来的 " + std::to_string(check.fileBytes) + " 字节";
  if (saving.movedToUtf8 > 0) status += "；有 " + std::to_string(saving.movedToUtf8) + " 个字符 GBK 存不下";
  if (saving.lost > 0) status += "；有 " + std::to_string(saving.lost) + " 个字符无法保存";
  return status;
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
