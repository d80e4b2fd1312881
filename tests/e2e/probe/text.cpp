// Text and JSON: conversions, escaping, printing, and reading a command's words.
#include "probe.h"

#include <cstdio>
#include <cstdlib>

namespace probe {

std::string ToUtf8(const std::wstring& w) {
    if (w.empty()) return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
    std::string s(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), &s[0], n, nullptr, nullptr);
    return s;
}

std::wstring FromUtf8(const std::string& s) {
    if (s.empty()) return {};
    int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring w(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), &w[0], n);
    return w;
}

std::string JsonString(const std::wstring& w) {
    // Escape per UTF-16 unit before converting, so lone surrogates and control
    // characters survive as \uXXXX instead of being mangled.
    std::string out = "\"";
    std::wstring plain;
    auto flush = [&] { out += ToUtf8(plain); plain.clear(); };
    for (size_t i = 0; i < w.size(); ++i) {
        wchar_t c = w[i];
        bool high = c >= 0xD800 && c <= 0xDBFF;
        bool low = c >= 0xDC00 && c <= 0xDFFF;
        if (high && i + 1 < w.size() && w[i + 1] >= 0xDC00 && w[i + 1] <= 0xDFFF) {
            plain += c;
            plain += w[++i];
            continue;
        }
        if (c == L'"' || c == L'\\' || c < 0x20 || high || low) {
            flush();
            char buf[8];
            if (c == L'"') out += "\\\"";
            else if (c == L'\\') out += "\\\\";
            else if (c == L'\n') out += "\\n";
            else if (c == L'\r') out += "\\r";
            else if (c == L'\t') out += "\\t";
            else { std::snprintf(buf, sizeof buf, "\\u%04x", static_cast<unsigned>(c)); out += buf; }
        } else {
            plain += c;
        }
    }
    flush();
    return out + "\"";
}

std::string JsonString(const std::string& utf8) { return JsonString(FromUtf8(utf8)); }

std::string JsonArray(const std::vector<std::string>& items) {
    std::string s = "[";
    for (size_t i = 0; i < items.size(); ++i) s += (i ? "," : "") + items[i];
    return s + "]";
}

std::string RectJson(const RECT& r) {
    return Json().num("left", r.left).num("top", r.top)
        .num("width", r.right - r.left).num("height", r.bottom - r.top).text();
}

namespace {
CapturedOutput* capturing = nullptr;
}  // namespace

CapturedOutput::CapturedOutput() : outer_(capturing) { capturing = this; }
CapturedOutput::~CapturedOutput() { capturing = outer_; }

void Print(const std::string& json) {
    std::string line = json + "\n";
    if (capturing) {
        capturing->append(line);
        return;
    }
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fflush(stdout);
}

int ParseInt(const std::wstring& s, const char* what) {
    wchar_t* end = nullptr;
    long v = std::wcstol(s.c_str(), &end, 0);
    if (s.empty() || *end) fail(2, std::string("bad ") + what + ": " + ToUtf8(s));
    return static_cast<int>(v);
}

std::string ReadFileBytes(const std::wstring& path) {
    Handle f(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!f) fail(4, "cannot open " + ToUtf8(path));
    std::string data;
    char buf[4096];
    DWORD got = 0;
    while (ReadFile(f.get(), buf, sizeof buf, &got, nullptr) && got) data.append(buf, got);
    return data;
}

std::string FromHex(const std::wstring& hex) {
    if (hex.size() % 2) fail(2, "odd number of hex digits");
    std::string out;
    for (size_t i = 0; i < hex.size(); i += 2) {
        wchar_t pair[3] = {hex[i], hex[i + 1], 0};
        wchar_t* end = nullptr;
        long v = std::wcstol(pair, &end, 16);
        if (*end) fail(2, "bad hex digits");
        out += static_cast<char>(v);
    }
    return out;
}

}  // namespace probe
