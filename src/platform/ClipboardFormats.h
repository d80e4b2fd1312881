// What kind of handle holds each clipboard format's data, which decides how a
// copy of it is kept while the clipboard is borrowed. Format numbers are the
// system's own.
#pragma once

namespace clipformat {

constexpr unsigned kText = 1;
constexpr unsigned kBitmap = 2;
constexpr unsigned kMetafilePict = 3;
constexpr unsigned kOemText = 7;
constexpr unsigned kDib = 8;
constexpr unsigned kPalette = 9;
constexpr unsigned kUnicodeText = 13;
constexpr unsigned kEnhMetafile = 14;
constexpr unsigned kHdrop = 15;
constexpr unsigned kLocale = 16;
constexpr unsigned kDibV5 = 17;
constexpr unsigned kOwnerDisplay = 0x80;
constexpr unsigned kDspText = 0x81;
constexpr unsigned kDspBitmap = 0x82;
constexpr unsigned kDspMetafilePict = 0x83;
constexpr unsigned kDspEnhMetafile = 0x8E;
constexpr unsigned kPrivateFirst = 0x200;
constexpr unsigned kPrivateLast = 0x2FF;
constexpr unsigned kGdiObjFirst = 0x300;
constexpr unsigned kGdiObjLast = 0x3FF;
constexpr unsigned kRegisteredFirst = 0xC000;
constexpr unsigned kRegisteredLast = 0xFFFF;

enum class Holder {
  Memory,            // global memory: its bytes are the data
  Bitmap,            // a GDI bitmap
  EnhMetafile,       // an enhanced metafile
  MetafilePicture,   // global memory holding a METAFILEPICT with an old-style metafile
  Palette,           // a GDI palette
  NotCopyable,
};

constexpr Holder HolderOf(unsigned format) {
  switch (format) {
    case kBitmap:
    case kDspBitmap:
      return Holder::Bitmap;
    case kMetafilePict:
    case kDspMetafilePict:
      return Holder::MetafilePicture;
    case kPalette:
      return Holder::Palette;
    case kEnhMetafile:
    case kDspEnhMetafile:
      return Holder::EnhMetafile;
    case kText:
    case 4:   // SYLK
    case 5:   // DIF
    case 6:   // TIFF
    case kOemText:
    case kDib:
    case 10:  // pen data
    case 11:  // RIFF
    case 12:  // WAVE
    case kUnicodeText:
    case kHdrop:
    case kLocale:
    case kDibV5:
    case kDspText:
      return Holder::Memory;
    default:
      break;
  }
  // Registered formats ("HTML Format", "Rich Text Format", ...) are global
  // memory by rule: the system frees them with GlobalFree.
  if (format >= kRegisteredFirst && format <= kRegisteredLast) return Holder::Memory;
  // Owner-display data is painted by the owner on request and exists nowhere
  // else; private and GDI-object formats hold a handle whose kind only their
  // owner knows; numbers the system has not defined are unknown to us too.
  return Holder::NotCopyable;
}

}  // namespace clipformat
