#include "platform/Clipboard.h"

#include <cstddef>
#include <cstring>
#include <new>
#include <optional>

#include "platform/BitmapFile.h"
#include "platform/ClipboardFormats.h"
#include "platform/Handles.h"
#include "platform/Text.h"

// The platform-free table spells the system's format numbers itself.
static_assert(clipformat::kText == CF_TEXT && clipformat::kBitmap == CF_BITMAP &&
              clipformat::kMetafilePict == CF_METAFILEPICT && clipformat::kOemText == CF_OEMTEXT &&
              clipformat::kDib == CF_DIB && clipformat::kPalette == CF_PALETTE &&
              clipformat::kUnicodeText == CF_UNICODETEXT && clipformat::kEnhMetafile == CF_ENHMETAFILE &&
              clipformat::kHdrop == CF_HDROP && clipformat::kLocale == CF_LOCALE && clipformat::kDibV5 == CF_DIBV5);
static_assert(clipformat::kOwnerDisplay == CF_OWNERDISPLAY && clipformat::kDspText == CF_DSPTEXT &&
              clipformat::kDspBitmap == CF_DSPBITMAP && clipformat::kDspMetafilePict == CF_DSPMETAFILEPICT &&
              clipformat::kDspEnhMetafile == CF_DSPENHMETAFILE && clipformat::kPrivateFirst == CF_PRIVATEFIRST &&
              clipformat::kPrivateLast == CF_PRIVATELAST && clipformat::kGdiObjFirst == CF_GDIOBJFIRST &&
              clipformat::kGdiObjLast == CF_GDIOBJLAST);
static_assert(sizeof(BITMAPINFOHEADER) == bmpfile::kInfoHeaderSize && sizeof(BITMAPFILEHEADER) == bmpfile::kFileHeaderSize &&
              sizeof(BITMAPV5HEADER) == bmpfile::kV5HeaderSize && sizeof(BITMAPCOREHEADER) == bmpfile::kCoreHeaderSize);

namespace {

using Bytes = std::vector<std::uint8_t>;

// Thrown by the copies below for data beyond what the snapshot may still keep;
// taken like a failed allocation.
struct BeyondBudget {};

void CheckBudget(unsigned long long size, std::size_t budget) {
  if (size > budget) throw BeyondBudget{};
}

// --- the clipboard's handle kinds to bytes and back --------------------------

std::optional<Bytes> CopyGlobalMemory(HANDLE data, std::size_t budget) {
  const auto memory = static_cast<HGLOBAL>(data);
  const SIZE_T size = GlobalSize(memory);
  CheckBudget(size, budget);
  if (size == 0) {
    // A zero-size block is still a valid value (some programs use one as a
    // marker); an invalid handle also reports zero, but cannot be locked.
    return GlobalFlags(memory) == GMEM_INVALID_HANDLE ? std::nullopt : std::optional<Bytes>(Bytes{});
  }
  GlobalLockGuard lock(memory);
  if (!lock) return std::nullopt;
  const auto* begin = static_cast<const std::uint8_t*>(lock.Data());
  return Bytes(begin, begin + size);
}

GlobalMemory MemoryFrom(const void* data, std::size_t size) {
  GlobalMemory memory(GlobalAlloc(GMEM_MOVEABLE, size));
  if (!memory || size == 0) return memory;
  GlobalLockGuard lock(memory.Get());
  if (!lock) return {};
  std::memcpy(lock.Data(), data, size);
  return memory;
}

// Both directions use a device-independent layout, so nothing depends on the
// display the bitmap was made for.
Bytes BitmapToFile(HBITMAP bitmap, std::size_t budget) {
  BITMAP shape{};
  if (GetObjectW(bitmap, sizeof shape, &shape) == 0 || shape.bmWidth <= 0 || shape.bmHeight <= 0) return {};
  const int depth = shape.bmBitsPixel * shape.bmPlanes;
  // 16-bit pixels widen to 24 without loss; palette depths keep their table.
  const WORD bitCount = depth <= 1 ? 1 : depth <= 4 ? 4 : depth <= 8 ? 8 : depth <= 24 ? 24 : 32;
  const std::optional<std::uint32_t> stride = bmpfile::RowStride(shape.bmWidth, bitCount);
  if (!stride) return {};
  const std::size_t colours = bitCount <= 8 ? std::size_t{1} << bitCount : 0;
  const std::size_t headerBytes = sizeof(BITMAPINFOHEADER) + colours * sizeof(RGBQUAD);
  const unsigned long long image = static_cast<unsigned long long>(*stride) * static_cast<unsigned>(shape.bmHeight);
  if (image > 0x7FFFFFFFull) return {};
  // The file is made from a copy of the pixels: both are held for a moment.
  CheckBudget(2 * (headerBytes + image + sizeof(BITMAPFILEHEADER)), budget);

  Bytes dib(headerBytes + static_cast<std::size_t>(image));
  BITMAPINFOHEADER header{};
  header.biSize = sizeof header;
  header.biWidth = shape.bmWidth;
  header.biHeight = shape.bmHeight;  // bottom-up, as every reader expects
  header.biPlanes = 1;
  header.biBitCount = bitCount;
  header.biCompression = BI_RGB;
  header.biSizeImage = static_cast<DWORD>(image);
  std::memcpy(dib.data(), &header, sizeof header);

  OwnedDc dc(CreateCompatibleDC(nullptr));
  if (!dc) return {};
  const int rows = GetDIBits(dc.Get(), bitmap, 0, static_cast<UINT>(shape.bmHeight), dib.data() + headerBytes,
                             reinterpret_cast<BITMAPINFO*>(dib.data()), DIB_RGB_COLORS);
  if (rows != shape.bmHeight) return {};
  // GetDIBits may have shortened the table it reports; the file's offsets
  // must follow the table as laid out here.
  reinterpret_cast<BITMAPINFOHEADER*>(dib.data())->biClrUsed = static_cast<DWORD>(colours);
  return bmpfile::FileFromDib(dib.data(), dib.size());
}

bool IsBlackAndWhite(const Bytes& dib, const bmpfile::DibLayout& layout) {
  if (layout.bitCount != 1 || layout.headerSize < sizeof(BITMAPINFOHEADER)) return false;
  const std::uint8_t* table = dib.data() + layout.headerSize;
  static const std::uint8_t kBlackWhite[8] = {0, 0, 0, 0, 255, 255, 255, 0};
  return std::memcmp(table, kBlackWhite, 3) == 0 && std::memcmp(table + 4, kBlackWhite + 4, 3) == 0;
}

GdiObject BitmapFromFile(const Bytes& file) {
  // Copied out of the file so the header sits aligned, whatever the file's offsets.
  const Bytes dib = bmpfile::DibFromFile(file.data(), file.size());
  if (dib.empty()) return {};
  const std::optional<bmpfile::DibLayout> layout = bmpfile::ParseDib(dib.data(), dib.size());
  if (!layout) return {};
  // A black-and-white picture stays monochrome (a fresh memory DC is); any
  // other becomes a bitmap of the display's format, as copying programs make.
  OwnedDc dc(IsBlackAndWhite(dib, *layout) ? CreateCompatibleDC(nullptr)
                                           : CreateDCW(L"DISPLAY", nullptr, nullptr, nullptr));
  if (!dc) return {};
  const auto* info = reinterpret_cast<const BITMAPINFO*>(dib.data());
  return GdiObject(CreateDIBitmap(dc.Get(), &info->bmiHeader, CBM_INIT, dib.data() + layout->PixelOffset(), info,
                                  DIB_RGB_COLORS));
}

std::optional<Bytes> CopyEnhMetafile(HANDLE data, std::size_t budget) {
  const auto metafile = static_cast<HENHMETAFILE>(data);
  const UINT size = GetEnhMetaFileBits(metafile, 0, nullptr);
  if (size == 0) return std::nullopt;
  CheckBudget(size, budget);
  Bytes bytes(size);
  if (GetEnhMetaFileBits(metafile, size, bytes.data()) != size) return std::nullopt;
  return bytes;
}

// Kept as the picture's mapping mode and extents (three 32-bit values) followed
// by the metafile's own bytes.
constexpr std::size_t kPictureFields = 3 * sizeof(LONG);

std::optional<Bytes> CopyMetafilePicture(HANDLE data, std::size_t budget) {
  GlobalLockGuard lock(static_cast<HGLOBAL>(data));
  if (!lock || GlobalSize(static_cast<HGLOBAL>(data)) < sizeof(METAFILEPICT)) return std::nullopt;
  METAFILEPICT picture;
  std::memcpy(&picture, lock.Data(), sizeof picture);
  const UINT size = GetMetaFileBitsEx(picture.hMF, 0, nullptr);
  if (size == 0) return std::nullopt;
  CheckBudget(kPictureFields + static_cast<unsigned long long>(size), budget);
  Bytes bytes(kPictureFields + size);
  const LONG fields[3] = {picture.mm, picture.xExt, picture.yExt};
  std::memcpy(bytes.data(), fields, kPictureFields);
  if (GetMetaFileBitsEx(picture.hMF, size, bytes.data() + kPictureFields) != size) return std::nullopt;
  return bytes;
}

std::optional<Bytes> CopyPalette(HANDLE data) {
  const auto palette = static_cast<HPALETTE>(data);
  WORD count = 0;
  if (GetObjectW(palette, sizeof count, &count) == 0 || count == 0) return std::nullopt;
  Bytes bytes(count * sizeof(PALETTEENTRY));
  if (GetPaletteEntries(palette, 0, count, reinterpret_cast<PALETTEENTRY*>(bytes.data())) != count) {
    return std::nullopt;
  }
  return bytes;
}

// The bytes of one format while the clipboard is open, at most `budget` of
// them (BeyondBudget beyond); nothing when it cannot be copied.
std::optional<Bytes> CopyFormat(UINT format, std::size_t budget) {
  const clipformat::Holder holder = clipformat::HolderOf(format);
  if (holder == clipformat::Holder::NotCopyable) return std::nullopt;
  const HANDLE data = GetClipboardData(format);
  if (data == nullptr) return std::nullopt;  // e.g. its owner failed to render it
  switch (holder) {
    case clipformat::Holder::Memory:
      return CopyGlobalMemory(data, budget);
    case clipformat::Holder::Bitmap: {
      Bytes file = BitmapToFile(static_cast<HBITMAP>(data), budget);
      if (file.empty()) return std::nullopt;
      return file;
    }
    case clipformat::Holder::EnhMetafile:
      return CopyEnhMetafile(data, budget);
    case clipformat::Holder::MetafilePicture:
      return CopyMetafilePicture(data, budget);
    case clipformat::Holder::Palette:
      return CopyPalette(data);
    case clipformat::Holder::NotCopyable:
      break;
  }
  return std::nullopt;
}

// The clipboard takes the handle only when it accepts it; otherwise the owner
// here frees it.
template <typename Owned>
bool HandOver(UINT format, Owned& owned) {
  if (!owned || SetClipboardData(format, static_cast<HANDLE>(owned.Get())) == nullptr) return false;
  owned.Release();
  return true;
}

bool PlaceMetafilePicture(UINT format, const Bytes& bytes) {
  if (bytes.size() <= kPictureFields) return false;
  LONG fields[3];
  std::memcpy(fields, bytes.data(), kPictureFields);
  Metafile metafile(SetMetaFileBitsEx(static_cast<UINT>(bytes.size() - kPictureFields), bytes.data() + kPictureFields));
  if (!metafile) return false;
  const METAFILEPICT picture{fields[0], fields[1], fields[2], metafile.Get()};
  GlobalMemory memory = MemoryFrom(&picture, sizeof picture);
  if (!HandOver(format, memory)) return false;
  metafile.Release();  // freed with the picture from now on
  return true;
}

bool PlacePalette(UINT format, const Bytes& bytes) {
  const std::size_t count = bytes.size() / sizeof(PALETTEENTRY);
  if (count == 0 || count > 0xFFFF) return false;
  std::vector<PALETTEENTRY> buffer(1 + count);  // room for the LOGPALETTE head, aligned
  auto* logical = reinterpret_cast<LOGPALETTE*>(buffer.data());
  logical->palVersion = 0x300;
  logical->palNumEntries = static_cast<WORD>(count);
  std::memcpy(logical->palPalEntry, bytes.data(), count * sizeof(PALETTEENTRY));
  GdiObject palette(CreatePalette(logical));
  return HandOver(format, palette);
}

// Puts one saved format on the open clipboard.
bool PlaceFormat(UINT format, const Bytes& bytes) {
  switch (clipformat::HolderOf(format)) {
    case clipformat::Holder::Memory: {
      GlobalMemory memory = MemoryFrom(bytes.data(), bytes.size());
      return HandOver(format, memory);
    }
    case clipformat::Holder::Bitmap: {
      GdiObject bitmap = BitmapFromFile(bytes);
      return HandOver(format, bitmap);
    }
    case clipformat::Holder::EnhMetafile: {
      EnhMetafile metafile(SetEnhMetaFileBits(static_cast<UINT>(bytes.size()), bytes.data()));
      return HandOver(format, metafile);
    }
    case clipformat::Holder::MetafilePicture:
      return PlaceMetafilePicture(format, bytes);
    case clipformat::Holder::Palette:
      return PlacePalette(format, bytes);
    case clipformat::Holder::NotCopyable:
      break;
  }
  return false;
}

}  // namespace

// --- opening ------------------------------------------------------------------

ClipboardOpening::ClipboardOpening(HWND owner, DWORD patienceMs) {
  const ULONGLONG start = GetTickCount64();
  for (;;) {
    if (OpenClipboard(owner)) {
      open_ = true;
      return;
    }
    if (GetTickCount64() - start >= patienceMs) return;
    Sleep(kClipboardRetryMs);
  }
}

ClipboardOpening::~ClipboardOpening() {
  if (open_) CloseClipboard();
}

// --- text -----------------------------------------------------------------------

std::wstring ReadClipboardUnicode(HWND owner) {
  ClipboardOpening clipboard(owner);
  if (!clipboard.IsOpen()) return {};
  return UnicodeTextOfOpenClipboard();
}

std::wstring UnicodeTextOfOpenClipboard() {
  // The Unicode form, always: the ANSI one is in the system's code page, which
  // turns Chinese into question marks wherever that is not 936.
  const HANDLE data = GetClipboardData(CF_UNICODETEXT);
  if (data == nullptr) return {};
  GlobalLockGuard lock(static_cast<HGLOBAL>(data));
  if (!lock) return {};
  const std::size_t units = GlobalSize(static_cast<HGLOBAL>(data)) / sizeof(wchar_t);
  const auto* text = static_cast<const wchar_t*>(lock.Data());
  std::size_t length = 0;
  while (length < units && text[length] != L'\0') ++length;
  return std::wstring(text, length);
}

std::string ReadClipboardTextGbk(HWND owner) {
  // The text becomes a question searched in the answer bank, whose GBK form
  // turns every unit GBK lacks into one '?': the same rule here lets such
  // characters match.
  return BoxTextToGbk(ReadClipboardUnicode(owner));
}

// --- snapshot ---------------------------------------------------------------------

ClipboardSnapshot ClipboardSnapshot::Take(HWND owner, const SnapshotLimits& limits) {
  ClipboardSnapshot snapshot;
  ClipboardOpening clipboard(owner);
  if (!clipboard.IsOpen()) return snapshot;
  snapshot.taken_ = true;
  std::size_t kept = 0;
  // Formats the system would synthesize are listed too and copied as they are,
  // so after Restore they are real ones with the same bytes.
  for (UINT format = EnumClipboardFormats(0); format != 0; format = EnumClipboardFormats(format)) {
    const std::size_t left = kept < limits.totalBytes ? limits.totalBytes - kept : 0;
    try {
      std::optional<Bytes> bytes = CopyFormat(format, left < limits.formatBytes ? left : limits.formatBytes);
      if (bytes) {
        kept += bytes->size();
        snapshot.saved_.push_back({format, std::move(*bytes)});
      } else {
        snapshot.skipped_.push_back(format);
      }
    } catch (const BeyondBudget&) {
      snapshot.tooLarge_.push_back(format);
    } catch (const std::bad_alloc&) {
      snapshot.tooLarge_.push_back(format);
    }
  }
  // Read last: an owner that renders on request may have changed it above.
  snapshot.sequence_ = GetClipboardSequenceNumber();
  return snapshot;
}

std::vector<UINT> ClipboardSnapshot::Formats() const {
  std::vector<UINT> formats;
  formats.reserve(saved_.size());
  for (const Saved& s : saved_) formats.push_back(s.format);
  return formats;
}

bool ClipboardSnapshot::Restore(HWND owner) const {
  // Without a snapshot an emptied clipboard would lose the user's content for good.
  if (!taken_) return false;
  ClipboardOpening clipboard(owner);
  if (!clipboard.IsOpen()) return false;
  if (sequence_ != 0 && GetClipboardSequenceNumber() == sequence_) return true;
  return PutBack();
}

bool ClipboardSnapshot::PutBack() const {
  if (!taken_ || !EmptyClipboard()) return false;
  bool all = true;
  for (const Saved& s : saved_) {
    if (!PlaceFormat(s.format, s.bytes)) all = false;
  }
  return all;
}
