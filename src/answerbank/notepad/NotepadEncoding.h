// The notepad file's bytes and the box's text: which encoding a file is in,
// what "读取" shows of it, the bytes "保存" writes back in the same encoding,
// and the status texts that say when either could not keep every character.
// GBK itself is the system's (code page 936) and comes in as a codec.
#pragma once
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "answerbank/formats/TextEncoding.h"

enum class LineEnd { kCrLf, kLf, kCr };

// How the file is written: the notepad keeps this from "读取" to "保存".
struct NoteFileFormat {
  TextEncoding encoding = TextEncoding::kGbk;
  bool byteOrderMark = false;
  LineEnd lineEnd = LineEnd::kCrLf;

  bool operator==(const NoteFileFormat& other) const {
    return encoding == other.encoding && byteOrderMark == other.byteOrderMark && lineEnd == other.lineEnd;
  }
};

struct GbkCodec {
  // GBK bytes to UTF-16; a byte that starts no GBK character becomes some
  // other character.
  std::function<std::u16string(std::string_view gbk)> decode;
  // UTF-16 to GBK; every character GBK cannot hold becomes one '?' and is
  // counted in `missing`.
  std::function<std::string(std::u16string_view text, size_t& missing)> encode;
};

struct NoteReading {
  NoteFileFormat format;
  // For the box: every line end CR LF.
  std::u16string text;
  // How many of the file's bytes, from the start, the text comes from: less
  // than all of them when a zero byte or a broken sequence ended it.
  size_t bytesUsed = 0;
};

// A byte order mark decides the encoding; otherwise valid UTF-8 with a
// multi-byte character is UTF-8; otherwise GBK, read up to its first zero
// byte. A UTF-8 or UTF-16 text ends before its first NUL character or broken
// sequence. The line ends are those the text uses throughout (CR LF when mixed).
NoteReading ReadNoteBytes(std::string_view fileBytes, const GbkCodec& gbk);

struct NoteSaving {
  std::string bytes;
  // The format written: UTF-8 when the file was GBK and GBK could not hold
  // every character, so that none is lost.
  NoteFileFormat format;
  // Characters GBK could not hold, which made the file UTF-8.
  size_t movedToUtf8 = 0;
  // Characters written as a replacement: halves of a surrogate pair without
  // their other half, which no UTF-8 file can hold.
  size_t lost = 0;
};

// The box's text (CR LF line ends) as the bytes of a file in `format`.
NoteSaving SaveNoteBytes(std::u16string_view boxText, const NoteFileFormat& format, const GbkCodec& gbk);

// How the box's text after a read stands to the file: what saving it unchanged
// would give back.
struct NoteReadCheck {
  size_t fileBytes = 0;
  // From the start, how many of the file's bytes a save gives back unchanged.
  size_t sameBytes = 0;
  // A save gives back every byte of the file.
  bool exact = false;
  // The text ended before the file did (a zero byte or a broken sequence);
  // otherwise some bytes were no characters of the encoding.
  bool cut = false;
  // The read did not finish (memory ran out): how much the box holds is not known.
  bool unfinished = false;
};

// Compares the bytes saving `shown` (the box's text after the read) would
// write with the file's.
NoteReadCheck CheckNoteRead(std::string_view fileBytes, const NoteReading& reading, std::u16string_view shown,
                            const GbkCodec& gbk);

// The status after "读取": success only when a save gives back exactly the
// file's bytes; otherwise how much of the file came through unchanged.
std::string ReadNoteStatus(const NoteReadCheck& check, const NoteFileFormat& format);
std::string ReadNoteStatus(std::string_view fileBytes, const NoteReading& reading, std::u16string_view shown,
                           const GbkCodec& gbk);

// "保存" after a read that did not show the file as it is would write the
// box's text over the whole file: the question it asks first, naming what
// would be lost, and the status once the user said yes and `saving` was written.
std::string OverwriteQuestion(const NoteReadCheck& check);
std::string OverwriteStatus(const NoteReadCheck& check, const NoteSaving& saving);
// The user said no: the file stays as it is.
extern const char* const kOverwriteDeclined;

// The status after "保存" wrote `saving`: success only when every character
// was kept, and a change of encoding said in words.
std::string SaveNoteStatus(const NoteSaving& saving);

// "保存" while "读取" is still filling the box: the box holds only part of the file.
extern const char* const kSaveWhileReading;
