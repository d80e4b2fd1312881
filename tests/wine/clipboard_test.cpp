// The clipboard around a capture: GBK text through the Unicode format, a
// snapshot that puts every format back byte for byte, also when another thread
// holds the clipboard for a while, and leaves out what is too large to keep;
// and the loan every borrower goes through: one at a time, and never over a
// copy the user made after the borrower's own.
#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "check.h"
#include "clipboard_support.h"
#include "platform/Clipboard.h"
#include "platform/ClipboardFormats.h"
#include "platform/ClipboardLoan.h"
#include "platform/Handles.h"
#include "test_window.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

HWND MakeWindow() { return MakeTestWindow(L"ClipboardTestOwner", 0, WS_OVERLAPPEDWINDOW, 0, 0, 100, 100); }

HWND Owner() {
  static OwnedWindow window(MakeWindow());
  return window.Get();
}

// --- reading and writing the clipboard directly, not through the code under test ---

struct Format {
  UINT id;
  Bytes bytes;
};

Bytes BytesOf(const void* data, std::size_t size) {
  const auto* begin = static_cast<const std::uint8_t*>(data);
  return Bytes(begin, begin + size);
}

Bytes WideBytes(const std::wstring& text) { return BytesOf(text.c_str(), (text.size() + 1) * sizeof(wchar_t)); }

Bytes NarrowBytes(const std::string& text) { return BytesOf(text.c_str(), text.size() + 1); }

UINT Registered(const wchar_t* name) { return RegisterClipboardFormatW(name); }

bool Open() {
  for (int i = 0; i < 100; ++i) {
    if (OpenClipboard(Owner())) return true;
    Sleep(10);
  }
  return false;
}

// Puts memory formats in the given order, as a copying program would.
bool Put(const std::vector<Format>& formats) {
  if (!Open()) return false;
  EmptyClipboard();
  bool all = true;
  for (const Format& f : formats) {
    GlobalMemory memory(GlobalAlloc(GMEM_MOVEABLE, f.bytes.size()));
    {
      GlobalLockGuard lock(memory.Get());
      std::memcpy(lock.Data(), f.bytes.data(), f.bytes.size());
    }
    if (SetClipboardData(f.id, memory.Get())) {
      memory.Release();
    } else {
      all = false;
    }
  }
  CloseClipboard();
  return all;
}

bool PutHandle(UINT format, HANDLE handle) {
  if (!Open()) return false;
  EmptyClipboard();
  const bool placed = SetClipboardData(format, handle) != nullptr;
  CloseClipboard();
  return placed;
}

std::vector<UINT> Enumerate() {
  std::vector<UINT> formats;
  if (!Open()) return formats;
  for (UINT f = EnumClipboardFormats(0); f != 0; f = EnumClipboardFormats(f)) formats.push_back(f);
  CloseClipboard();
  return formats;
}

std::string Name(UINT format) {
  wchar_t name[128];
  if (format >= 0xC000 && GetClipboardFormatNameW(format, name, 128) > 0) {
    std::string out;
    for (const wchar_t* c = name; *c; ++c) out += static_cast<char>(*c < 0x80 ? *c : '?');
    return out;
  }
  return std::to_string(format);
}

// "13 16 1 7 HTML Format": what a failing comparison shows.
std::string Describe(const std::vector<UINT>& formats) {
  std::string out;
  for (UINT f : formats) out += (out.empty() ? "" : " ") + Name(f);
  return out;
}

// A memory format's bytes, hex, so a failure shows where they differ.
std::string Hex(const Bytes& bytes) {
  std::string out;
  char buf[4];
  for (std::uint8_t b : bytes) {
    std::snprintf(buf, sizeof buf, "%02X ", b);
    out += buf;
  }
  return out;
}

std::string MemoryHex(UINT format) {
  if (!Open()) return "(not opened)";
  std::string out = "(absent)";
  if (HANDLE data = GetClipboardData(format)) {
    const SIZE_T size = GlobalSize(data);
    GlobalLockGuard lock(data);
    out = lock ? Hex(BytesOf(lock.Data(), size)) : "(not lockable)";
  }
  CloseClipboard();
  return out;
}

// Pixels as 0x00RRGGBB, top row first.
std::vector<std::uint32_t> PixelsOf(HBITMAP bitmap) {
  BITMAP shape{};
  GetObjectW(bitmap, sizeof shape, &shape);
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(shape.bmWidth) * shape.bmHeight);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = shape.bmWidth;
  info.bmiHeader.biHeight = -shape.bmHeight;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  OwnedDc dc(CreateCompatibleDC(nullptr));
  GetDIBits(dc.Get(), bitmap, 0, shape.bmHeight, pixels.data(), &info, DIB_RGB_COLORS);
  for (std::uint32_t& p : pixels) p &= 0x00FFFFFF;
  return pixels;
}

std::string PixelHex(const std::vector<std::uint32_t>& pixels) {
  std::string out;
  char buf[12];
  for (std::uint32_t p : pixels) {
    std::snprintf(buf, sizeof buf, "%06X ", static_cast<unsigned>(p));
    out += buf;
  }
  return out;
}

std::string ClipboardBitmapPixels() {
  if (!Open()) return "(not opened)";
  std::string out = "(no bitmap)";
  if (auto bitmap = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP))) out = PixelHex(PixelsOf(bitmap));
  CloseClipboard();
  return out;
}

int ClipboardBitmapDepth() {
  if (!Open()) return -1;
  int depth = 0;
  if (auto bitmap = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP))) {
    BITMAP shape{};
    GetObjectW(bitmap, sizeof shape, &shape);
    depth = shape.bmBitsPixel * shape.bmPlanes;
  }
  CloseClipboard();
  return depth;
}

int CountFormats() { return static_cast<int>(Enumerate().size()); }

void Overwrite() { WriteClipboardTextGbk(Owner(), "别的内容"); }

// Everything a memory format held, and every bitmap's pixels, keyed by format.
struct Contents {
  std::vector<UINT> order;
  std::vector<std::pair<UINT, std::string>> data;
};

Contents Read() {
  Contents c;
  c.order = Enumerate();
  for (UINT f : c.order) {
    switch (clipformat::HolderOf(f)) {
      case clipformat::Holder::Memory:
        c.data.push_back({f, MemoryHex(f)});
        break;
      case clipformat::Holder::Bitmap:
        c.data.push_back({f, ClipboardBitmapPixels()});
        break;
      default:
        break;
    }
  }
  return c;
}

// Wine lists the formats of a restored clipboard in either order, depending on
// its X clipboard manager; Windows keeps the order they were put there in.
// So the set of formats is compared, and the snapshot's own order separately.
std::vector<UINT> Sorted(std::vector<UINT> formats) {
  std::sort(formats.begin(), formats.end());
  return formats;
}

// Takes a snapshot, replaces the clipboard, restores, and checks that the
// formats and every byte came back.
void CheckRoundTrip(const char* what) {
  const Contents before = Read();
  std::printf("    %s: %s\n", what, Describe(before.order).c_str());
  const ClipboardSnapshot snapshot = ClipboardSnapshot::Take(Owner());
  CHECK(snapshot.Taken());
  CHECK_EQ(Describe(snapshot.Formats()), Describe(before.order));
  Overwrite();
  CHECK_EQ(MemoryHex(CF_UNICODETEXT), Hex(WideBytes(L"别的内容")));
  CHECK(snapshot.Restore(Owner()));
  const Contents after = Read();
  if (!CHECK_EQ(Describe(Sorted(after.order)), Describe(Sorted(before.order)))) std::printf("    in: %s\n", what);
  for (const auto& [format, data] : before.data) {
    const auto found = std::find_if(after.data.begin(), after.data.end(),
                                    [&](const auto& entry) { return entry.first == format; });
    const std::string afterData = found == after.data.end() ? "(absent)" : found->second;
    if (!CHECK_EQ(afterData, data)) std::printf("    in: %s, format %s\n", what, Name(format).c_str());
  }
}

// --- text ------------------------------------------------------------------------------

TEST(UnicodeTextIsReadAsGbkWhateverTheCodePage) {
  std::printf("    process ANSI code page %u\n", GetACP());
  CHECK(Put({{CF_UNICODETEXT, WideBytes(L"答案")}}));
  CHECK_EQ(ReadClipboardTextGbk(Owner()), std::string("\xB4\xF0\xB0\xB8"));
}

TEST(ReadingStopsAtTheFirstNul) {
  const wchar_t text[] = L"题目\0junk";
  CHECK(Put({{CF_UNICODETEXT, BytesOf(text, sizeof text)}}));
  CHECK_EQ(ReadClipboardTextGbk(Owner()), std::string("题目"));
}

TEST(CharactersGbkLacksBecomeOneQuestionMarkPerUnit) {
  // U+1F600 is a surrogate pair; the euro sign is the single byte 80 in 936.
  CHECK(Put({{CF_UNICODETEXT, WideBytes(L"a\U0001F600b\u20AC")}}));
  CHECK_EQ(ReadClipboardTextGbk(Owner()), std::string("a??b\x80"));
}

TEST(NoTextReadsAsEmpty) {
  CHECK(Put({}));
  CHECK_EQ(CountFormats(), 0);
  CHECK_EQ(ReadClipboardTextGbk(Owner()), std::string());
  CHECK(Put({{Registered(L"Tavrel Test Binary"), Bytes{1, 2, 3}}}));
  CHECK_EQ(ReadClipboardTextGbk(Owner()), std::string());
}

// --- snapshot round trips ------------------------------------------------------------------

Bytes FileList() {
  const wchar_t files[] = L"C:\\题库\\第一章.doc\0C:\\a.txt\0";  // the literal adds the final NUL
  DROPFILES header{};
  header.pFiles = sizeof header;
  header.fWide = TRUE;
  Bytes bytes = BytesOf(&header, sizeof header);
  const Bytes names = BytesOf(files, sizeof files);
  bytes.insert(bytes.end(), names.begin(), names.end());
  return bytes;
}

// 2 x 2 pixels, 24 bits, bottom-up.
Bytes SmallDib() {
  BITMAPINFOHEADER header{};
  header.biSize = sizeof header;
  header.biWidth = 2;
  header.biHeight = 2;
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biCompression = BI_RGB;
  const std::uint8_t pixels[16] = {0x00, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0, 0,
                                   0xFF, 0x00, 0x00, 0x56, 0x34, 0x12, 0, 0};
  Bytes dib(sizeof header + sizeof pixels);
  std::memcpy(dib.data(), &header, sizeof header);
  std::memcpy(dib.data() + sizeof header, pixels, sizeof pixels);
  return dib;
}

TEST(EveryMemoryFormatComesBackByteForByte) {
  const std::string html =
      "Version:0.9\r\nStartHTML:0000000097\r\nEndHTML:0000000170\r\nStartFragment:0000000131\r\n"
      "EndFragment:0000000134\r\n<html><body><!--StartFragment-->\xE7\xAD\x94<!--EndFragment--></body></html>";
  const Bytes binary{0x00, 0x01, 0x00, 0xFF, 0x00, 0x00, 0x7F, 0x80, 0x00};
  CHECK(Put({{CF_UNICODETEXT, WideBytes(L"问题：答案是什么")},
             {Registered(L"HTML Format"), NarrowBytes(html)},
             {Registered(L"Rich Text Format"), NarrowBytes("{\\rtf1\\ansi\\ansicpg936 {\\f0 \\'b4\\'f0}}")},
             {CF_HDROP, FileList()},
             {CF_DIB, SmallDib()},
             {Registered(L"Tavrel Test Binary"), binary}}));
  CheckRoundTrip("text, HTML, RTF, file list, DIB, binary");
  // What was put there, checked on its own too: the comparison above would
  // pass if a format had been lost before the snapshot.
  CHECK_EQ(MemoryHex(CF_UNICODETEXT), Hex(WideBytes(L"问题：答案是什么")));
  CHECK_EQ(MemoryHex(Registered(L"HTML Format")), Hex(NarrowBytes(html)));
  CHECK_EQ(MemoryHex(CF_HDROP), Hex(FileList()));
  CHECK_EQ(MemoryHex(CF_DIB), Hex(SmallDib()));
  CHECK_EQ(MemoryHex(Registered(L"Tavrel Test Binary")), Hex(binary));
  CHECK_EQ(ReadClipboardTextGbk(Owner()), std::string("问题：答案是什么"));
}

TEST(AnsiTextAloneComesBack) {
  CHECK(Put({{CF_TEXT, NarrowBytes("only ANSI text")}}));
  CheckRoundTrip("CF_TEXT alone");
  CHECK_EQ(MemoryHex(CF_TEXT), Hex(NarrowBytes("only ANSI text")));
}

GdiObject KnownBitmap(const std::vector<std::uint32_t>& pixels, int width, int height) {
  HDC screen = GetDC(nullptr);
  GdiObject bitmap(CreateCompatibleBitmap(screen, width, height));
  ReleaseDC(nullptr, screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  OwnedDc dc(CreateCompatibleDC(nullptr));
  SetDIBits(dc.Get(), static_cast<HBITMAP>(bitmap.Get()), 0, height, pixels.data(), &info, DIB_RGB_COLORS);
  return bitmap;
}

const std::vector<std::uint32_t> kPixels = {0xFF0000, 0x00FF00, 0x0000FF, 0x123456, 0xFFFFFF, 0x000000,
                                            0x808080, 0xABCDEF, 0x010203, 0xFEDCBA, 0x00FFFF, 0xFF00FF};

TEST(BitmapPixelsSurviveTheSnapshot) {
  GdiObject bitmap = KnownBitmap(kPixels, 4, 3);
  CHECK_EQ(PixelHex(PixelsOf(static_cast<HBITMAP>(bitmap.Get()))), PixelHex(kPixels));
  CHECK(PutHandle(CF_BITMAP, bitmap.Get()));
  bitmap.Release();  // the clipboard's now
  CHECK_EQ(ClipboardBitmapPixels(), PixelHex(kPixels));
  CheckRoundTrip("a bitmap");
  CHECK_EQ(ClipboardBitmapPixels(), PixelHex(kPixels));
}

TEST(MonochromeBitmapStaysMonochrome) {
  // 8 x 2, one bit a pixel: rows 10110001 and 01001110.
  const std::uint16_t rows[2] = {0xB1, 0x4E};
  GdiObject bitmap(CreateBitmap(8, 2, 1, 1, rows));
  const std::string expected = PixelHex(PixelsOf(static_cast<HBITMAP>(bitmap.Get())));
  CHECK_EQ(expected, std::string("FFFFFF 000000 FFFFFF FFFFFF 000000 000000 000000 FFFFFF "
                                 "000000 FFFFFF 000000 000000 FFFFFF FFFFFF FFFFFF 000000 "));
  CHECK(PutHandle(CF_BITMAP, bitmap.Get()));
  bitmap.Release();
  const ClipboardSnapshot snapshot = ClipboardSnapshot::Take(Owner());
  Overwrite();
  CHECK(snapshot.Restore(Owner()));
  CHECK_EQ(ClipboardBitmapDepth(), 1);
  CHECK_EQ(ClipboardBitmapPixels(), expected);
}

TEST(EnhancedMetafileComesBack) {
  HDC recorder = CreateEnhMetaFileW(nullptr, nullptr, nullptr, nullptr);
  Rectangle(recorder, 10, 10, 90, 60);
  MoveToEx(recorder, 0, 0, nullptr);
  LineTo(recorder, 100, 80);
  EnhMetafile metafile(CloseEnhMetaFile(recorder));
  const UINT size = GetEnhMetaFileBits(metafile.Get(), 0, nullptr);
  Bytes original(size);
  GetEnhMetaFileBits(metafile.Get(), size, original.data());
  CHECK(PutHandle(CF_ENHMETAFILE, metafile.Get()));
  metafile.Release();

  const ClipboardSnapshot snapshot = ClipboardSnapshot::Take(Owner());
  Overwrite();
  CHECK(snapshot.Restore(Owner()));
  Bytes after;
  if (CHECK(Open())) {
    const auto restored = static_cast<HENHMETAFILE>(GetClipboardData(CF_ENHMETAFILE));
    after.resize(GetEnhMetaFileBits(restored, 0, nullptr));
    GetEnhMetaFileBits(restored, static_cast<UINT>(after.size()), after.data());
    CloseClipboard();
  }
  CHECK_EQ(Hex(after), Hex(original));
}

TEST(PaletteComesBack) {
  struct {
    WORD version = 0x300;
    WORD count = 3;
    PALETTEENTRY entries[3] = {{1, 2, 3, 0}, {200, 100, 50, 0}, {255, 255, 0, 0}};
  } logical;
  GdiObject palette(CreatePalette(reinterpret_cast<const LOGPALETTE*>(&logical)));
  CHECK(PutHandle(CF_PALETTE, palette.Get()));
  palette.Release();
  const ClipboardSnapshot snapshot = ClipboardSnapshot::Take(Owner());
  Overwrite();
  CHECK(snapshot.Restore(Owner()));
  PALETTEENTRY entries[4] = {};
  UINT count = 0;
  if (CHECK(Open())) {
    count = GetPaletteEntries(static_cast<HPALETTE>(GetClipboardData(CF_PALETTE)), 0, 4, entries);
    CloseClipboard();
  }
  CHECK_EQ(count, 3u);
  CHECK_EQ(Hex(BytesOf(entries, 3 * sizeof(PALETTEENTRY))), Hex(BytesOf(logical.entries, sizeof logical.entries)));
}

TEST(SnapshotOfAnEmptyClipboardRestoresEmpty) {
  CHECK(Put({}));
  const ClipboardSnapshot snapshot = ClipboardSnapshot::Take(Owner());
  CHECK(snapshot.Taken());
  CHECK_EQ(Describe(snapshot.Formats()), std::string());
  Overwrite();
  CHECK(CountFormats() > 0);
  CHECK(snapshot.Restore(Owner()));
  CHECK_EQ(Describe(Enumerate()), std::string());
}

TEST(UnchangedClipboardIsLeftWithItsOwner) {
  CHECK(Put({{CF_UNICODETEXT, WideBytes(L"原来的")}}));
  const ClipboardSnapshot snapshot = ClipboardSnapshot::Take(Owner());
  OwnedWindow other(MakeWindow());
  CHECK(snapshot.Restore(other.Get()));
  // Emptying would have made the restoring window the owner.
  CHECK(GetClipboardOwner() == Owner());
  CHECK_EQ(ReadClipboardTextGbk(Owner()), std::string("原来的"));
}

TEST(PrivateFormatsAreSkippedTheRestComesBack) {
  GlobalMemory privateData(GlobalAlloc(GMEM_MOVEABLE, 8));
  CHECK(Put({{CF_UNICODETEXT, WideBytes(L"留下")}}));
  if (CHECK(Open())) {
    CHECK(SetClipboardData(CF_PRIVATEFIRST, privateData.Get()) != nullptr);
    CloseClipboard();
  }
  const ClipboardSnapshot snapshot = ClipboardSnapshot::Take(Owner());
  CHECK_EQ(Describe(snapshot.Skipped()), Describe({CF_PRIVATEFIRST}));
  Overwrite();
  CHECK(snapshot.Restore(Owner()));
  const std::vector<UINT> after = Enumerate();
  CHECK(std::find(after.begin(), after.end(), CF_PRIVATEFIRST) == after.end());
  CHECK_EQ(ReadClipboardTextGbk(Owner()), std::string("留下"));
  // The system never frees private data: the owner does, once it is off the clipboard.
}

// --- a busy clipboard ------------------------------------------------------------------------

// Another thread holds the clipboard open for `holdMs`; the constructor returns
// once it is held.
class BusyHolder {
 public:
  explicit BusyHolder(DWORD holdMs) : holdMs_(holdMs), held_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    thread_.Reset(CreateThread(nullptr, 0, &BusyHolder::Run, this, 0, nullptr));
    WaitForSingleObject(held_.Get(), 5000);
  }
  ~BusyHolder() { WaitForSingleObject(thread_.Get(), 10000); }
  bool Opened() const { return opened_; }

 private:
  static DWORD WINAPI Run(void* self) {
    auto* h = static_cast<BusyHolder*>(self);
    h->opened_ = OpenClipboard(nullptr) != FALSE;
    SetEvent(h->held_.Get());
    Sleep(h->holdMs_);
    if (h->opened_) CloseClipboard();
    return 0;
  }
  DWORD holdMs_;
  bool opened_ = false;
  KernelHandle held_;
  KernelHandle thread_;
};

TEST(ShortlyBusyClipboardIsWaitedFor) {
  CHECK(Put({{CF_UNICODETEXT, WideBytes(L"忙碌中")}, {Registered(L"Tavrel Test Binary"), Bytes{9, 0, 9}}}));
  const std::vector<UINT> before = Enumerate();
  ClipboardSnapshot snapshot;
  {
    BusyHolder holder(200);
    CHECK(holder.Opened());
    const ULONGLONG start = GetTickCount64();
    snapshot = ClipboardSnapshot::Take(Owner());
    const ULONGLONG waited = GetTickCount64() - start;
    CHECK(snapshot.Taken());
    CHECK(waited >= 150);
    std::printf("    Take waited %llu ms\n", waited);
  }
  Overwrite();
  {
    BusyHolder holder(200);
    CHECK(holder.Opened());
    CHECK(snapshot.Restore(Owner()));
  }
  CHECK_EQ(Describe(Sorted(Enumerate())), Describe(Sorted(before)));
  CHECK_EQ(ReadClipboardTextGbk(Owner()), std::string("忙碌中"));
  CHECK_EQ(MemoryHex(Registered(L"Tavrel Test Binary")), Hex(Bytes{9, 0, 9}));
  {
    BusyHolder holder(200);
    CHECK_EQ(ReadClipboardTextGbk(Owner()), std::string("忙碌中"));
  }
}

TEST(LongBusyClipboardFailsTheSnapshotAndKeepsTheContent) {
  CHECK(Put({{CF_UNICODETEXT, WideBytes(L"用户的")}}));
  ClipboardSnapshot failed;
  {
    BusyHolder holder(kClipboardPatienceMs + 700);
    CHECK(holder.Opened());
    const ULONGLONG start = GetTickCount64();
    failed = ClipboardSnapshot::Take(Owner());
    const ULONGLONG waited = GetTickCount64() - start;
    CHECK(!failed.Taken());
    CHECK(waited >= kClipboardPatienceMs);
    CHECK(waited < kClipboardPatienceMs + 600);
  }
  // The copy in the capture changes the clipboard; a failed snapshot must not
  // wipe what is there now.
  CHECK(WriteClipboardTextGbk(Owner(), "复制的"));
  CHECK(!failed.Restore(Owner()));
  CHECK_EQ(ReadClipboardTextGbk(Owner()), std::string("复制的"));
  CHECK_EQ(CountFormats() > 0, true);
}

TEST(TextGivesUpOnALongBusyClipboard) {
  CHECK(Put({{CF_UNICODETEXT, WideBytes(L"用户的")}}));
  {
    // Long enough for both calls to run out of patience.
    BusyHolder holder(2 * kClipboardPatienceMs + 500);
    CHECK_EQ(ReadClipboardTextGbk(Owner()), std::string());
    CHECK(!WriteClipboardTextGbk(Owner(), "不该写入"));
  }
  CHECK_EQ(ReadClipboardTextGbk(Owner()), std::string("用户的"));
}

TEST(RestoreGivesUpOnALongBusyClipboardWithoutHarm) {
  CHECK(Put({{CF_UNICODETEXT, WideBytes(L"之前")}}));
  const ClipboardSnapshot snapshot = ClipboardSnapshot::Take(Owner());
  CHECK(WriteClipboardTextGbk(Owner(), "之后"));
  {
    BusyHolder holder(kClipboardPatienceMs + 700);
    CHECK(!snapshot.Restore(Owner()));
  }
  CHECK_EQ(ReadClipboardTextGbk(Owner()), std::string("之后"));
  CHECK(snapshot.Restore(Owner()));  // free again: the content comes back
  CHECK_EQ(ReadClipboardTextGbk(Owner()), std::string("之前"));
}

// --- formats too large to keep --------------------------------------------------------

TEST(AFormatBeyondTheLimitsIsLeftOutAndTheSnapshotIsIncomplete) {
  const UINT binary = Registered(L"Tavrel Test Binary");
  const UINT other = Registered(L"Tavrel Test Other");
  CHECK(Put({{CF_UNICODETEXT, WideBytes(L"小的")}, {binary, Bytes(2000, 7)}, {other, Bytes(600, 8)}}));
  const ClipboardSnapshot big = ClipboardSnapshot::Take(Owner(), SnapshotLimits{1000, 100000});
  CHECK(big.Taken());
  CHECK(!big.Complete());
  CHECK_EQ(Describe(big.TooLarge()), Describe({binary}));
  const std::vector<UINT> kept = big.Formats();
  CHECK(std::find(kept.begin(), kept.end(), other) != kept.end());
  // Beyond the total: what comes after the budget is spent is left out.
  const ClipboardSnapshot total = ClipboardSnapshot::Take(Owner(), SnapshotLimits{100000, 2500});
  CHECK_EQ(Describe(total.TooLarge()), Describe({other}));
  // Within both: complete, and nothing left out.
  const ClipboardSnapshot whole = ClipboardSnapshot::Take(Owner());
  CHECK(whole.Complete());
  CHECK_EQ(Describe(whole.TooLarge()), std::string());

  // A bitmap is measured before its pixels are copied (and so are the device
  // independent forms the system makes of it).
  GdiObject bitmap = KnownBitmap(std::vector<std::uint32_t>(600 * 600, 0x123456), 600, 600);
  CHECK(PutHandle(CF_BITMAP, bitmap.Get()));
  bitmap.Release();
  const ClipboardSnapshot picture = ClipboardSnapshot::Take(Owner(), SnapshotLimits{100000, 100000});
  const std::vector<UINT> left = Sorted(picture.TooLarge());
  CHECK(std::find(left.begin(), left.end(), UINT{CF_BITMAP}) != left.end());
  CHECK_EQ(Describe(picture.Formats()), std::string());
  CHECK(!picture.Complete());
}

// --- the loan -----------------------------------------------------------------------------

// Another thread borrows the clipboard for `holdMs`; the constructor returns
// once it holds the loan.
class LoanHolder {
 public:
  explicit LoanHolder(DWORD holdMs) : holdMs_(holdMs), held_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    thread_.Reset(CreateThread(nullptr, 0, &LoanHolder::Run, this, 0, nullptr));
    WaitForSingleObject(held_.Get(), 5000);
  }
  ~LoanHolder() { WaitForSingleObject(thread_.Get(), 10000); }
  bool Lent() const { return lent_; }

 private:
  static DWORD WINAPI Run(void* self) {
    auto* h = static_cast<LoanHolder*>(self);
    ClipboardLoan loan = ClipboardLoan::Borrow(0);
    h->lent_ = loan.Usable();
    SetEvent(h->held_.Get());
    Sleep(h->holdMs_);
    return 0;
  }
  DWORD holdMs_;
  bool lent_ = false;
  KernelHandle held_;
  KernelHandle thread_;
};

// The same formats with the same data, in whatever order Wine lists them.
bool SameContents(const Contents& a, const Contents& b) {
  auto sorted = [](std::vector<std::pair<UINT, std::string>> data) {
    std::sort(data.begin(), data.end());
    return data;
  };
  return Sorted(a.order) == Sorted(b.order) && sorted(a.data) == sorted(b.data);
}

TEST(OneLoanAtATimeAndNeverOverANewerCopy) {
  const std::vector<Format> user = {{CF_UNICODETEXT, WideBytes(L"用户原来的")},
                                    {Registered(L"Tavrel Test Binary"), Bytes{0, 1, 0, 2}}};
  CHECK(Put(user));
  const Contents before = Read();

  // A second borrower is refused while the first holds the loan, and lent
  // once it was given back.
  {
    ClipboardLoan first = ClipboardLoan::Borrow(0);
    CHECK(first.Usable());
    const ClipboardLoan second = ClipboardLoan::Borrow(100);
    CHECK(!second.Usable());
    CHECK(second.Why() == ClipboardLoan::Refusal::kAnotherLoan);
    CHECK(first.GiveBack());
    CHECK(ClipboardLoan::Borrow(0).Usable());
  }
  // One on another thread is waited for.
  {
    LoanHolder holder(300);
    CHECK(holder.Lent());
    CHECK(!ClipboardLoan::WaitForAllGivenBack(0));
    const ULONGLONG start = GetTickCount64();
    const ClipboardLoan mine = ClipboardLoan::Borrow(5000);
    CHECK(mine.Usable());
    CHECK(GetTickCount64() - start >= 200);
  }
  CHECK(ClipboardLoan::WaitForAllGivenBack(0));

  // The borrower's own copy goes, and every format of the user comes back.
  {
    ClipboardLoan loan = ClipboardLoan::Borrow(0);
    REQUIRE(loan.Usable());
    CHECK(WriteClipboardTextGbk(Owner(), "借来复制的"));
    CHECK_EQ(WideToGbk(loan.ReadOwnCopy()), std::string("借来复制的"));
    CHECK(loan.HoldsOwnCopy());
    CHECK(loan.GiveBack());
    CHECK_EQ(Describe(Sorted(Read().order)), Describe(Sorted(before.order)));
    CHECK(SameContents(Read(), before));
  }
  // A copy the user made after the borrower's own stays.
  {
    ClipboardLoan loan = ClipboardLoan::Borrow(0);
    REQUIRE(loan.Usable());
    CHECK(WriteClipboardTextGbk(Owner(), "借来复制的"));
    loan.ReadOwnCopy();
    CHECK(WriteClipboardTextGbk(Owner(), "用户后来复制的"));
    CHECK(!loan.HoldsOwnCopy());
    CHECK(loan.GiveBack());
    CHECK_EQ(ReadClipboardTextGbk(Owner()), std::string("用户后来复制的"));
  }
  CHECK(Put(user));
  // Read and put back in one opening.
  {
    ClipboardLoan loan = ClipboardLoan::Borrow(0);
    REQUIRE(loan.Usable());
    CHECK(WriteClipboardTextGbk(Owner(), "划词复制的"));
    CHECK_EQ(WideToGbk(loan.ReadAndGiveBack()), std::string("划词复制的"));
    CHECK(SameContents(Read(), before));
    CHECK(ClipboardLoan::WaitForAllGivenBack(0));
  }
  // A clipboard nothing changed stays with its owner; a loan that ends
  // without being given back explicitly gives back all the same.
  {
    CHECK(Put(user));
    const ClipboardLoan loan = ClipboardLoan::Borrow(0);
    CHECK(loan.Usable());
    CHECK(ClipboardLoan::Owner() != Owner());
  }
  CHECK(GetClipboardOwner() == Owner());
  {
    ClipboardLoan loan = ClipboardLoan::Borrow(0);
    CHECK(WriteClipboardTextGbk(Owner(), "没有交还"));
  }
  CHECK(SameContents(Read(), before));

  // A format too large to keep: the loan may not be used, and nothing changed.
  {
    const ClipboardLoan loan = ClipboardLoan::Borrow(0, SnapshotLimits{3, 100});
    CHECK(!loan.Usable());
    CHECK(loan.Why() == ClipboardLoan::Refusal::kIncomplete);
  }
  CHECK(ClipboardLoan::WaitForAllGivenBack(0));
  CHECK(SameContents(Read(), before));
}

}  // namespace

CHECK_MAIN()
