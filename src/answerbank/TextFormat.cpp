#include "answerbank/TextFormat.h"

namespace {

TextFormats* currentFormats = nullptr;

}  // namespace

void SetTextFormats(TextFormats* formats) { currentFormats = formats; }

TextFormats* CurrentTextFormats() { return currentFormats; }

CharFormatRequest MakeCharFormatRequest(const TextFormat& format) {
  CharFormatRequest request;
  request.face = format.face;
  request.heightTwips = format.size * 20;
  request.offsetTwips = format.offset * 20;
  request.effects = format.effects & 0x1Fu;
  request.autoColour = format.colour == kAutoColour;
  request.colour = request.autoColour ? 0 : format.colour;
  return request;
}

TextFormat DefaultTextFormat() { return TextFormat{"宋体", 9, 0, 0, kAutoColour}; }

void SetPlainBlack(TextFormat& format) {
  format.face = "宋体";
  format.size = 9;
  format.colour = 0;
}
