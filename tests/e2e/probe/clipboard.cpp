// The clipboard: what is on it, format by format and byte for byte, and
// putting exactly the given bytes there.
#include "probe.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <cwctype>

namespace probe {

namespace {

// The clipboard is shared by every program of the desktop, the program under
// test included: keep it open only for the moment of one read or write, and
// retry when somebody else holds it.
class OpenedClipboard {
public:
    explicit OpenedClipboard(HWND owner) {
        for (int i = 0; i < 100 && !open_; ++i) {
            open_ = OpenClipboard(owner) != FALSE;
            if (!open_) Sleep(20);
        }
        if (!open_) fail(4, "OpenClipboard failed for 2 s");
    }
    ~OpenedClipboard() { if (open_) CloseClipboard(); }
    OpenedClipboard(const OpenedClipboard&) = delete;
    OpenedClipboard& operator=(const OpenedClipboard&) = delete;
private:
    bool open_ = false;
};

// A window to own what we put on the clipboard; a message-only window does.
class OwnerWindow {
public:
    OwnerWindow() {
        hwnd_ = CreateWindowExW(0, L"STATIC", L"probe clipboard owner", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                nullptr, GetModuleHandleW(nullptr), nullptr);
        if (!hwnd_) fail(4, "creating the clipboard owner window");
    }
    ~OwnerWindow() { DestroyWindow(hwnd_); }
    OwnerWindow(const OwnerWindow&) = delete;
    OwnerWindow& operator=(const OwnerWindow&) = delete;
    HWND get() const { return hwnd_; }
private:
    HWND hwnd_ = nullptr;
};

class GlobalMemory {
public:
    explicit GlobalMemory(size_t size) : h_(GlobalAlloc(GMEM_MOVEABLE, size ? size : 1)) {}
    ~GlobalMemory() { if (h_) GlobalFree(h_); }
    GlobalMemory(const GlobalMemory&) = delete;
    GlobalMemory& operator=(const GlobalMemory&) = delete;
    HGLOBAL get() const { return h_; }
    HGLOBAL release() { return std::exchange(h_, nullptr); }  // the clipboard owns it from then on
private:
    HGLOBAL h_;
};

class ScreenDc {
public:
    ScreenDc() : dc_(GetDC(nullptr)) {}
    ~ScreenDc() { if (dc_) ReleaseDC(nullptr, dc_); }
    ScreenDc(const ScreenDc&) = delete;
    ScreenDc& operator=(const ScreenDc&) = delete;
    HDC get() const { return dc_; }
private:
    HDC dc_;
};

std::string Fnv1a64(const void* data, size_t n) {
    uint64_t h = 1469598103934665603ull;
    for (size_t i = 0; i < n; ++i) {
        h ^= static_cast<const unsigned char*>(data)[i];
        h *= 1099511628211ull;
    }
    char buf[20];
    std::snprintf(buf, sizeof buf, "%016llx", static_cast<unsigned long long>(h));
    return buf;
}

std::string Hex(const void* data, size_t n) {
    static const char digits[] = "0123456789abcdef";
    std::string s;
    s.reserve(n * 2);
    for (size_t i = 0; i < n; ++i) {
        unsigned char b = static_cast<const unsigned char*>(data)[i];
        s += digits[b >> 4];
        s += digits[b & 15];
    }
    return s;
}

const size_t kHexLimit = 16384;

void AddBytes(Json& j, const void* data, size_t n) {
    j.num("size", static_cast<long long>(n)).add("fnv", JsonString(Fnv1a64(data, n)));
    if (n <= kHexLimit) j.add("hex", JsonString(Hex(data, n)));
}

std::wstring FormatName(UINT id) {
    static const struct { UINT id; const wchar_t* name; } known[] = {
        {CF_TEXT, L"CF_TEXT"}, {CF_BITMAP, L"CF_BITMAP"}, {CF_METAFILEPICT, L"CF_METAFILEPICT"},
        {CF_SYLK, L"CF_SYLK"}, {CF_DIF, L"CF_DIF"}, {CF_TIFF, L"CF_TIFF"}, {CF_OEMTEXT, L"CF_OEMTEXT"},
        {CF_DIB, L"CF_DIB"}, {CF_PALETTE, L"CF_PALETTE"}, {CF_PENDATA, L"CF_PENDATA"}, {CF_RIFF, L"CF_RIFF"},
        {CF_WAVE, L"CF_WAVE"}, {CF_UNICODETEXT, L"CF_UNICODETEXT"}, {CF_ENHMETAFILE, L"CF_ENHMETAFILE"},
        {CF_HDROP, L"CF_HDROP"}, {CF_LOCALE, L"CF_LOCALE"}, {CF_DIBV5, L"CF_DIBV5"},
        {CF_OWNERDISPLAY, L"CF_OWNERDISPLAY"}, {CF_DSPTEXT, L"CF_DSPTEXT"}, {CF_DSPBITMAP, L"CF_DSPBITMAP"},
        {CF_DSPMETAFILEPICT, L"CF_DSPMETAFILEPICT"}, {CF_DSPENHMETAFILE, L"CF_DSPENHMETAFILE"},
    };
    for (const auto& k : known)
        if (k.id == id) return k.name;
    wchar_t buf[256] = {};
    if (GetClipboardFormatNameW(id, buf, 256) > 0) return buf;
    return L"#" + std::to_wstring(id);
}

// The pixels of a bitmap as 32-bit rows, top-down: the same picture gives the
// same checksum whatever device format it is kept in.
void AddBitmap(Json& j, HBITMAP bitmap) {
    BITMAP info{};
    if (!GetObjectW(bitmap, sizeof info, &info)) {
        j.add("error", JsonString(std::string("GetObject failed")));
        return;
    }
    j.num("width", info.bmWidth).num("height", info.bmHeight).num("bits_per_pixel", info.bmBitsPixel);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = info.bmWidth;
    bi.bmiHeader.biHeight = -info.bmHeight;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    std::vector<uint32_t> pixels(static_cast<size_t>(info.bmWidth) * static_cast<size_t>(info.bmHeight));
    ScreenDc dc;
    int rows = pixels.empty() ? 0 : GetDIBits(dc.get(), bitmap, 0, static_cast<UINT>(info.bmHeight),
                                              pixels.data(), &bi, DIB_RGB_COLORS);
    for (uint32_t& p : pixels) p &= 0x00FFFFFF;  // the unused byte is not part of the picture
    j.num("rows", rows).add("pixels_fnv", JsonString(Fnv1a64(pixels.data(), pixels.size() * 4)));
}

std::string ClipFormatJson(UINT id) {
    Json j;
    j.num("id", id).str("name", FormatName(id));
    HANDLE data = GetClipboardData(id);
    if (!data) {
        j.str("kind", L"none");
        return j.text();
    }
    switch (id) {
        case CF_BITMAP:
        case CF_DSPBITMAP:
            j.str("kind", L"bitmap");
            AddBitmap(j, static_cast<HBITMAP>(data));
            break;
        case CF_PALETTE: {
            j.str("kind", L"palette");
            UINT n = GetPaletteEntries(static_cast<HPALETTE>(data), 0, 0, nullptr);
            std::vector<PALETTEENTRY> entries(n);
            if (n) GetPaletteEntries(static_cast<HPALETTE>(data), 0, n, entries.data());
            AddBytes(j, entries.data(), entries.size() * sizeof(PALETTEENTRY));
            break;
        }
        case CF_ENHMETAFILE:
        case CF_DSPENHMETAFILE: {
            j.str("kind", L"enhmetafile");
            UINT n = GetEnhMetaFileBits(static_cast<HENHMETAFILE>(data), 0, nullptr);
            std::vector<BYTE> bits(n);
            if (n) GetEnhMetaFileBits(static_cast<HENHMETAFILE>(data), n, bits.data());
            AddBytes(j, bits.data(), bits.size());
            break;
        }
        case CF_METAFILEPICT:
        case CF_DSPMETAFILEPICT: {
            j.str("kind", L"metafilepict");
            auto* pict = static_cast<METAFILEPICT*>(GlobalLock(data));
            if (pict) {
                j.num("mm", pict->mm).num("x_ext", pict->xExt).num("y_ext", pict->yExt);
                UINT n = GetMetaFileBitsEx(pict->hMF, 0, nullptr);
                std::vector<BYTE> bits(n);
                if (n) GetMetaFileBitsEx(pict->hMF, n, bits.data());
                AddBytes(j, bits.data(), bits.size());
                GlobalUnlock(data);
            }
            break;
        }
        case CF_OWNERDISPLAY:
            j.str("kind", L"ownerdisplay");
            break;
        default: {
            j.str("kind", L"memory");
            size_t n = GlobalSize(data);
            const void* bytes = GlobalLock(data);
            if (bytes) {
                AddBytes(j, bytes, n);
                GlobalUnlock(data);
            } else {
                j.add("error", JsonString(std::string("GlobalLock failed")));
            }
        }
    }
    return j.text();
}

std::string ClipboardJson() {
    std::vector<std::string> formats;
    DWORD ownerPid = 0;
    {
        OpenedClipboard open(nullptr);
        HWND owner = GetClipboardOwner();
        if (owner) GetWindowThreadProcessId(owner, &ownerPid);
        for (UINT id = EnumClipboardFormats(0); id; id = EnumClipboardFormats(id)) formats.push_back(ClipFormatJson(id));
    }
    return Json().num("sequence", GetClipboardSequenceNumber()).num("owner_pid", ownerPid)
        .add("formats", JsonArray(formats)).text();
}

}  // namespace

// clipdump: every format on the clipboard in the order the clipboard lists
// them: id, name, and its bytes (hex up to 16 KB, FNV-1a 64 of all of them);
// bitmaps by size and a checksum of their pixels.
int CmdClipDump(const Args&) {
    Print(ClipboardJson());
    return 0;
}

namespace {

UINT ParseFormat(const std::wstring& word) {
    if (!word.empty() && iswdigit(word[0])) return static_cast<UINT>(ParseInt(word, "format"));
    UINT id = RegisterClipboardFormatW(word.c_str());
    if (!id) fail(4, "RegisterClipboardFormat failed for " + ToUtf8(word));
    return id;
}

}  // namespace

// clipput [<format>=<hex bytes>]...: empties the clipboard and puts each
// format with exactly the bytes given, in global memory; <format> is a number
// (13 for CF_UNICODETEXT, 8 for CF_DIB, 15 for CF_HDROP...) or the name of a
// registered format ("HTML Format"). No formats: the clipboard is left empty.
// Prints the clipboard as clipdump does.
int CmdClipPut(const Args& args) {
    std::vector<std::pair<UINT, std::string>> items;
    for (int i = 2; i < args.size(); ++i) {
        std::wstring word = args[i];
        size_t eq = word.rfind(L'=');
        if (eq == std::wstring::npos || eq == 0) fail(2, "clipput: expected <format>=<hex>, got " + ToUtf8(word));
        items.emplace_back(ParseFormat(word.substr(0, eq)), FromHex(word.substr(eq + 1)));
    }
    OwnerWindow owner;
    {
        OpenedClipboard open(owner.get());
        if (!EmptyClipboard()) fail(4, "EmptyClipboard failed");
        for (const auto& item : items) {
            GlobalMemory mem(item.second.size());
            void* p = mem.get() ? GlobalLock(mem.get()) : nullptr;
            if (!p) fail(4, "GlobalAlloc failed");
            if (!item.second.empty()) std::memcpy(p, item.second.data(), item.second.size());
            GlobalUnlock(mem.get());
            if (!SetClipboardData(item.first, mem.get()))
                fail(4, "SetClipboardData failed for format " + std::to_string(item.first));
            mem.release();
        }
    }
    Print(ClipboardJson());
    return 0;
}

// cliptext: the clipboard's Unicode text, null when there is none.
int CmdClipText(const Args&) {
    std::string text = "null";
    {
        OpenedClipboard open(nullptr);
        HANDLE data = GetClipboardData(CF_UNICODETEXT);
        const auto* p = data ? static_cast<const wchar_t*>(GlobalLock(data)) : nullptr;
        if (p) {
            size_t max = GlobalSize(data) / sizeof(wchar_t);
            size_t n = 0;
            while (n < max && p[n]) ++n;
            text = JsonString(std::wstring(p, n));
            GlobalUnlock(data);
        }
    }
    Print(Json().add("text", text).num("sequence", GetClipboardSequenceNumber()).text());
    return 0;
}

}  // namespace probe
