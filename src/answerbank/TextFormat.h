// The character format the program applies to a rich edit box's selection.
#pragma once
#include <cstdint>
#include <string>

struct TextFormat {
  std::string face;          // GBK
  int32_t size = 0;          // points
  int32_t offset = 0;        // baseline offset, points
  uint32_t effects = 0;      // bit 0 bold, 1 italic, 2 underline, 3 strikeout, 4 protected
  uint32_t colour = 0;       // 0x00BBGGRR; kAutoColour means the automatic colour
};

constexpr uint32_t kAutoColour = 0xFF000000u;

// The values one character-format request carries for a TextFormat: every field
// is sent, sizes in twentieths of a point.
struct CharFormatRequest {
  std::string face;
  int32_t heightTwips = 0;
  int32_t offsetTwips = 0;
  uint32_t effects = 0;  // only the five defined bits
  bool autoColour = false;
  uint32_t colour = 0;   // meaningful when !autoColour
};

CharFormatRequest MakeCharFormatRequest(const TextFormat& format);

// The format both global formats start from: 宋体 9, automatic colour.
TextFormat DefaultTextFormat();

// What the standard format is set to before a whole text is reset to it:
// 宋体 9 black; the offset and the effects keep their values.
void SetPlainBlack(TextFormat& format);

// The two formats the answer bank applies: the standard one (宋体 9 black) that
// whole texts are reset to, and the one that colours a search's hits. The
// program creates them at start-up and hands them over with SetTextFormats;
// tests hand over their own.
struct TextFormats {
  TextFormat standardFormat = DefaultTextFormat();
  TextFormat highlightFormat = DefaultTextFormat();
};

// Without formats (before the first call, or after a null) nothing that
// applies one does anything.
void SetTextFormats(TextFormats* formats);
TextFormats* CurrentTextFormats();
