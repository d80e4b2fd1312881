// probe.exe: reads and pokes a running Tavrel.exe from another process, so the
// end-to-end scenarios can look at the real window the way a user's tools would.
// Every command prints one JSON value (UTF-8) on stdout. Exit codes: 0 success,
// 2 bad usage, 3 window or control not found, 4 a system call failed.
//
// Messages that carry pointers need memory inside the target process; the
// structures then only line up when probe and program have the same bitness,
// which is why the build makes the probe in the same flavour as the program.

#ifndef UNICODE
#define UNICODE
#endif
#ifndef _UNICODE
#define _UNICODE
#endif
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>
#include <richedit.h>
#include <shellapi.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwctype>
#include <cwchar>
#include <string>
#include <utility>
#include <vector>

namespace {

const wchar_t kMainClass[] = L"TavrelMainWindow";
const int kTabId = 1000;
const UINT kSendTimeoutMs = 5000;

// ---------------------------------------------------------------- RAII guards

class Handle {
public:
    Handle() = default;
    explicit Handle(HANDLE h) : h_(h == INVALID_HANDLE_VALUE ? nullptr : h) {}
    ~Handle() { reset(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    Handle(Handle&& o) noexcept : h_(std::exchange(o.h_, nullptr)) {}
    Handle& operator=(Handle&& o) noexcept {
        if (this != &o) { reset(); h_ = std::exchange(o.h_, nullptr); }
        return *this;
    }
    HANDLE get() const { return h_; }
    explicit operator bool() const { return h_ != nullptr; }
    void reset() { if (h_) CloseHandle(h_); h_ = nullptr; }
private:
    HANDLE h_ = nullptr;
};

// Memory allocated inside another process, freed when the guard goes away.
class RemoteMemory {
public:
    RemoteMemory(HANDLE process, size_t size) : process_(process), size_(size) {
        ptr_ = VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    }
    ~RemoteMemory() { if (ptr_) VirtualFreeEx(process_, ptr_, 0, MEM_RELEASE); }
    RemoteMemory(const RemoteMemory&) = delete;
    RemoteMemory& operator=(const RemoteMemory&) = delete;
    explicit operator bool() const { return ptr_ != nullptr; }
    void* get() const { return ptr_; }
    // Offsets let one allocation carry a structure and the buffer it points to.
    void* at(size_t offset) const { return static_cast<char*>(ptr_) + offset; }
    bool write(const void* data, size_t n, size_t offset = 0) const {
        SIZE_T done = 0;
        return offset + n <= size_ && WriteProcessMemory(process_, at(offset), data, n, &done) && done == n;
    }
    bool read(void* data, size_t n, size_t offset = 0) const {
        SIZE_T done = 0;
        return offset + n <= size_ && ReadProcessMemory(process_, at(offset), data, n, &done) && done == n;
    }
private:
    HANDLE process_;
    size_t size_;
    void* ptr_ = nullptr;
};

class LocalArgv {
public:
    LocalArgv() { argv_ = CommandLineToArgvW(GetCommandLineW(), &argc_); }
    ~LocalArgv() { if (argv_) LocalFree(argv_); }
    LocalArgv(const LocalArgv&) = delete;
    LocalArgv& operator=(const LocalArgv&) = delete;
    int size() const { return argv_ ? argc_ : 0; }
    std::wstring operator[](int i) const { return i < size() ? argv_[i] : L""; }
private:
    LPWSTR* argv_ = nullptr;
    int argc_ = 0;
};

// The command words after the global options; a missing word reads as empty.
class Args {
public:
    explicit Args(std::vector<std::wstring> words) : words_(std::move(words)) {}
    int size() const { return static_cast<int>(words_.size()); }
    std::wstring operator[](int i) const { return i < size() ? words_[static_cast<size_t>(i)] : L""; }
private:
    std::vector<std::wstring> words_;
};

// ---------------------------------------------------------------- errors

struct Failure {
    int code;
    std::string message;
};

[[noreturn]] void fail(int code, const std::string& message) { throw Failure{code, message}; }

// ---------------------------------------------------------------- text

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

// A small ordered JSON object builder; values are already-serialised JSON.
class Json {
public:
    Json& add(const char* key, const std::string& rawValue) {
        items_.emplace_back(key, rawValue);
        return *this;
    }
    Json& num(const char* key, long long v) { return add(key, std::to_string(v)); }
    Json& boolean(const char* key, bool v) { return add(key, v ? "true" : "false"); }
    Json& str(const char* key, const std::wstring& v) { return add(key, JsonString(v)); }
    std::string text() const {
        std::string s = "{";
        for (size_t i = 0; i < items_.size(); ++i) {
            if (i) s += ",";
            s += JsonString(items_[i].first) + ":" + items_[i].second;
        }
        return s + "}";
    }
private:
    std::vector<std::pair<std::string, std::string>> items_;
};

std::string JsonArray(const std::vector<std::string>& items) {
    std::string s = "[";
    for (size_t i = 0; i < items.size(); ++i) s += (i ? "," : "") + items[i];
    return s + "]";
}

std::string RectJson(const RECT& r) {
    return Json().num("left", r.left).num("top", r.top)
        .num("width", r.right - r.left).num("height", r.bottom - r.top).text();
}

void Print(const std::string& json) {
    std::string line = json + "\n";
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fflush(stdout);
}

// ---------------------------------------------------------------- target

struct Target {
    HWND main = nullptr;
    DWORD pid = 0;
    Handle process;
};

// Set by --pid: with it, only the main window of that process counts, so a
// second copy of the program (say, from a test that did not clean up) is never
// poked by mistake.
DWORD g_pid = 0;

struct MainSearch {
    DWORD pid;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectMain(HWND h, LPARAM param) {
    auto* search = reinterpret_cast<MainSearch*>(param);
    wchar_t cls[64] = {};
    GetClassNameW(h, cls, 64);
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    if (wcscmp(cls, kMainClass) == 0 && (search->pid == 0 || search->pid == pid)) search->found.push_back(h);
    return TRUE;
}

std::vector<HWND> AllMainWindows(DWORD pid) {
    MainSearch search{pid, {}};
    EnumWindows(CollectMain, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND FindMain() {
    std::vector<HWND> all = AllMainWindows(g_pid);
    return all.empty() ? nullptr : all.front();
}

Target OpenTarget() {
    Target t;
    t.main = FindMain();
    if (!t.main)
        fail(3, "main window (class TavrelMainWindow) not found" +
                    (g_pid ? " for pid " + std::to_string(g_pid) : std::string()));
    GetWindowThreadProcessId(t.main, &t.pid);
    t.process = Handle(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE |
                                   PROCESS_QUERY_INFORMATION | PROCESS_CREATE_THREAD | SYNCHRONIZE,
                                   FALSE, t.pid));
    if (!t.process) fail(4, "OpenProcess failed for pid " + std::to_string(t.pid));
    return t;
}

bool SameBitness(const Target& t) {
    BOOL mine = FALSE, theirs = FALSE;
    IsWow64Process(GetCurrentProcess(), &mine);
    IsWow64Process(t.process.get(), &theirs);
    return mine == theirs;
}

void RequireSameBitness(const Target& t) {
    if (!SameBitness(t))
        fail(4, "probe and program differ in bitness: pointer-carrying messages would be misread");
}

HWND Control(const Target& t, int id) {
    HWND h = GetDlgItem(t.main, id);
    if (!h) fail(3, "control id " + std::to_string(id) + " not found");
    return h;
}

LRESULT Send(HWND h, UINT msg, WPARAM w, LPARAM l) {
    DWORD_PTR result = 0;
    SetLastError(0);
    if (!SendMessageTimeoutW(h, msg, w, l, SMTO_ABORTIFHUNG, kSendTimeoutMs, &result)) {
        char buf[96];
        std::snprintf(buf, sizeof buf, "message 0x%04x to window %p failed (error %lu)", msg,
                      static_cast<void*>(h), static_cast<unsigned long>(GetLastError()));
        fail(4, buf);
    }
    return static_cast<LRESULT>(result);
}

std::wstring ClassOf(HWND h) {
    wchar_t buf[256] = {};
    GetClassNameW(h, buf, 256);
    return buf;
}

// WM_GETTEXT is marshalled across processes by the system; GetWindowTextW is
// not for controls of another process.
std::wstring TextOf(HWND h) {
    LRESULT n = Send(h, WM_GETTEXTLENGTH, 0, 0);
    std::vector<wchar_t> buf(static_cast<size_t>(n) + 64, L'\0');
    LRESULT got = Send(h, WM_GETTEXT, buf.size(), reinterpret_cast<LPARAM>(buf.data()));
    return std::wstring(buf.data(), static_cast<size_t>(got));
}

bool IsClass(HWND h, const wchar_t* name) { return _wcsicmp(ClassOf(h).c_str(), name) == 0; }
bool IsRichEdit(HWND h) {
    std::wstring c = ClassOf(h);
    return _wcsnicmp(c.c_str(), L"RICHEDIT", 8) == 0;
}

CHARRANGE GetSelection(const Target& t, HWND box) {
    RequireSameBitness(t);
    RemoteMemory mem(t.process.get(), sizeof(CHARRANGE));
    CHARRANGE cr{-7, -7};
    if (!mem || !mem.write(&cr, sizeof cr)) fail(4, "remote memory for CHARRANGE");
    Send(box, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(mem.get()));
    if (!mem.read(&cr, sizeof cr)) fail(4, "reading CHARRANGE back");
    return cr;
}

void SetSelection(const Target& t, HWND box, CHARRANGE cr) {
    RequireSameBitness(t);
    RemoteMemory mem(t.process.get(), sizeof(CHARRANGE));
    if (!mem || !mem.write(&cr, sizeof cr)) fail(4, "remote memory for CHARRANGE");
    Send(box, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(mem.get()));
}

std::string SelectionJson(const CHARRANGE& cr) {
    return Json().num("min", cr.cpMin).num("max", cr.cpMax).text();
}

// Character positions of a rich edit box (a paragraph break counts one).
long RichLength(const Target& t, HWND box) {
    RequireSameBitness(t);
    RemoteMemory mem(t.process.get(), sizeof(GETTEXTLENGTHEX));
    GETTEXTLENGTHEX q{GTL_NUMCHARS | GTL_PRECISE, 1200};
    if (!mem || !mem.write(&q, sizeof q)) fail(4, "remote memory for GETTEXTLENGTHEX");
    return static_cast<long>(Send(box, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(mem.get()), 0));
}

std::wstring RichRange(const Target& t, HWND box, long from, long to) {
    RequireSameBitness(t);
    size_t chars = static_cast<size_t>(to - from) + 1;
    size_t bufOffset = (sizeof(TEXTRANGEW) + 15) & ~size_t(15);
    RemoteMemory mem(t.process.get(), bufOffset + chars * sizeof(wchar_t));
    if (!mem) fail(4, "remote memory for TEXTRANGEW");
    TEXTRANGEW tr{};
    tr.chrg.cpMin = from;
    tr.chrg.cpMax = to;
    tr.lpstrText = static_cast<LPWSTR>(mem.at(bufOffset));
    std::vector<wchar_t> zero(chars, L'\0');
    if (!mem.write(&tr, sizeof tr) || !mem.write(zero.data(), chars * sizeof(wchar_t), bufOffset))
        fail(4, "writing TEXTRANGEW");
    LRESULT n = Send(box, EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(mem.get()));
    std::vector<wchar_t> buf(chars, L'\0');
    if (!mem.read(buf.data(), chars * sizeof(wchar_t), bufOffset)) fail(4, "reading text range");
    if (n < 0) n = 0;
    if (static_cast<size_t>(n) > chars - 1) n = static_cast<LRESULT>(chars - 1);
    return std::wstring(buf.data(), static_cast<size_t>(n));
}

// Runs the target's GetACP on a thread inside it: the code page a program gets
// depends on its own environment, so asking our own process would prove nothing.
long RemoteAcp(const Target& t) {
    if (!SameBitness(t)) return -1;
    FARPROC local = GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetACP");
    HMODULE localModule = nullptr;
    if (!local || !GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                          GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                      reinterpret_cast<LPCWSTR>(local), &localModule))
        return -1;
    wchar_t localName[MAX_PATH] = {};
    GetModuleBaseNameW(GetCurrentProcess(), localModule, localName, MAX_PATH);
    HMODULE modules[1024];
    DWORD needed = 0;
    if (!EnumProcessModulesEx(t.process.get(), modules, sizeof modules, &needed, LIST_MODULES_ALL))
        return -1;
    HMODULE remoteModule = nullptr;
    for (DWORD i = 0; i < needed / sizeof(HMODULE) && i < 1024; ++i) {
        wchar_t name[MAX_PATH] = {};
        GetModuleBaseNameW(t.process.get(), modules[i], name, MAX_PATH);
        if (_wcsicmp(name, localName) == 0) { remoteModule = modules[i]; break; }
    }
    if (!remoteModule) return -1;
    auto offset = reinterpret_cast<uintptr_t>(local) - reinterpret_cast<uintptr_t>(localModule);
    auto start = reinterpret_cast<LPTHREAD_START_ROUTINE>(reinterpret_cast<uintptr_t>(remoteModule) + offset);
    Handle thread(CreateRemoteThread(t.process.get(), nullptr, 0, start, nullptr, 0, nullptr));
    if (!thread || WaitForSingleObject(thread.get(), 5000) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    if (!GetExitCodeThread(thread.get(), &code)) return -1;
    return static_cast<long>(code);
}

RECT WindowRectOf(HWND h) {
    RECT r{};
    GetWindowRect(h, &r);
    return r;
}

std::vector<HWND> DirectChildren(HWND parent) {
    std::vector<HWND> out;
    for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) out.push_back(c);
    return out;
}

// ---------------------------------------------------------------- commands

int ParseInt(const std::wstring& s, const char* what) {
    wchar_t* end = nullptr;
    long v = std::wcstol(s.c_str(), &end, 0);
    if (s.empty() || *end) fail(2, std::string("bad ") + what + ": " + ToUtf8(s));
    return static_cast<int>(v);
}

int CmdWait(const Args& args) {
    int timeout = args.size() > 2 ? ParseInt(args[2], "time-out") : 20000;
    DWORD start = GetTickCount();
    for (;;) {
        HWND h = FindMain();
        if (h && IsWindowVisible(h) && GetDlgItem(h, kTabId)) {
            DWORD pid = 0;
            GetWindowThreadProcessId(h, &pid);
            Handle process(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, pid));
            DWORD left = timeout - (GetTickCount() - start);
            if (process && static_cast<int>(left) > 0) WaitForInputIdle(process.get(), left);
            Print(Json().num("hwnd", reinterpret_cast<uintptr_t>(h)).num("pid", pid)
                      .num("ms", GetTickCount() - start).text());
            return 0;
        }
        if (static_cast<int>(GetTickCount() - start) >= timeout)
            fail(3, "main window (class TavrelMainWindow) not visible after " + std::to_string(timeout) + " ms");
        Sleep(50);
    }
}

std::string TabJson(const Target& t, HWND tab) {
    RequireSameBitness(t);
    int count = static_cast<int>(Send(tab, TCM_GETITEMCOUNT, 0, 0));
    int current = static_cast<int>(Send(tab, TCM_GETCURSEL, 0, 0));
    const size_t textChars = 260;
    size_t bufOffset = (sizeof(TCITEMW) + 15) & ~size_t(15);
    size_t rectOffset = bufOffset + textChars * sizeof(wchar_t);
    RemoteMemory mem(t.process.get(), rectOffset + sizeof(RECT));
    if (!mem) fail(4, "remote memory for TCITEMW");
    POINT origin{0, 0};
    ClientToScreen(tab, &origin);
    std::vector<std::string> items;
    for (int i = 0; i < count; ++i) {
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = static_cast<LPWSTR>(mem.at(bufOffset));
        item.cchTextMax = static_cast<int>(textChars);
        std::vector<wchar_t> text(textChars, L'\0');
        if (!mem.write(&item, sizeof item) || !mem.write(text.data(), textChars * sizeof(wchar_t), bufOffset))
            fail(4, "writing TCITEMW");
        Send(tab, TCM_GETITEMW, i, reinterpret_cast<LPARAM>(mem.get()));
        // The control may answer with a pointer of its own instead of filling our buffer.
        if (!mem.read(&item, sizeof item)) fail(4, "reading TCITEMW");
        if (item.pszText && item.pszText != mem.at(bufOffset)) {
            SIZE_T done = 0;
            ReadProcessMemory(t.process.get(), item.pszText, text.data(), (textChars - 1) * sizeof(wchar_t), &done);
        } else if (!mem.read(text.data(), (textChars - 1) * sizeof(wchar_t), bufOffset)) {
            fail(4, "reading tab caption");
        }
        RECT r{};
        BOOL ok = static_cast<BOOL>(Send(tab, TCM_GETITEMRECT, i, reinterpret_cast<LPARAM>(mem.at(rectOffset))));
        if (!mem.read(&r, sizeof r, rectOffset)) fail(4, "reading tab item rectangle");
        OffsetRect(&r, origin.x, origin.y);
        items.push_back(Json().str("caption", text.data()).boolean("rect_ok", ok != FALSE)
                            .add("screen_rect", RectJson(r)).text());
    }
    RECT tr = WindowRectOf(tab);
    return Json().num("id", kTabId).str("class", ClassOf(tab)).num("count", count).num("current", current)
        .add("screen_rect", RectJson(tr)).boolean("visible", IsWindowVisible(tab) != FALSE)
        .add("items", JsonArray(items)).text();
}

std::string ControlJson(const Target& t, HWND c, const RECT& tabRect) {
    Json j;
    int id = GetDlgCtrlID(c);
    std::wstring cls = ClassOf(c);
    LONG style = GetWindowLongW(c, GWL_STYLE);
    RECT r = WindowRectOf(c);
    RECT rel = r;
    OffsetRect(&rel, -tabRect.left, -tabRect.top);
    j.num("id", id).num("hwnd", reinterpret_cast<uintptr_t>(c)).str("class", cls).str("text", TextOf(c))
        .add("rect", RectJson(rel))
        .add("screen_rect", RectJson(r)).boolean("visible", IsWindowVisible(c) != FALSE)
        .boolean("enabled", IsWindowEnabled(c) != FALSE).num("style", static_cast<unsigned long>(style));
    if (IsClass(c, L"Button")) {
        j.num("button_type", style & BS_TYPEMASK).num("check", Send(c, BM_GETCHECK, 0, 0));
    } else if (IsClass(c, TRACKBAR_CLASSW)) {
        j.num("min", Send(c, TBM_GETRANGEMIN, 0, 0)).num("max", Send(c, TBM_GETRANGEMAX, 0, 0))
            .num("pos", Send(c, TBM_GETPOS, 0, 0)).num("line_size", Send(c, TBM_GETLINESIZE, 0, 0))
            .num("page_size", Send(c, TBM_GETPAGESIZE, 0, 0));
    } else if (IsRichEdit(c)) {
        j.add("selection", SelectionJson(GetSelection(t, c))).num("length", RichLength(t, c))
            .boolean("multiline", (style & ES_MULTILINE) != 0);
    } else if (IsClass(c, L"Edit")) {
        // Null pointers: the answer comes packed in the result, no remote memory needed.
        auto packed = static_cast<DWORD>(Send(c, EM_GETSEL, 0, 0));
        j.add("selection", Json().num("min", LOWORD(packed)).num("max", HIWORD(packed)).text())
            .boolean("multiline", (style & ES_MULTILINE) != 0);
    }
    return j.text();
}

int CmdDump(const Args&) {
    Target t = OpenTarget();
    HWND tab = GetDlgItem(t.main, kTabId);
    RECT outer = WindowRectOf(t.main);
    RECT client{};
    GetClientRect(t.main, &client);
    POINT clientOrigin{0, 0};
    ClientToScreen(t.main, &clientOrigin);
    COLORREF key = 0;
    BYTE alpha = 0;
    DWORD flags = 0;
    BOOL layeredOk = GetLayeredWindowAttributes(t.main, &key, &alpha, &flags);
    LONG exStyle = GetWindowLongW(t.main, GWL_EXSTYLE);

    Json main;
    main.str("class", ClassOf(t.main)).str("title", TextOf(t.main)).add("rect", RectJson(outer))
        .add("client_rect", RectJson(client))
        .add("client_origin", Json().num("x", clientOrigin.x).num("y", clientOrigin.y).text())
        .boolean("visible", IsWindowVisible(t.main) != FALSE)
        .num("style", static_cast<unsigned long>(GetWindowLongW(t.main, GWL_STYLE)))
        .num("ex_style", static_cast<unsigned long>(exStyle))
        .add("layered", Json().boolean("ok", layeredOk != FALSE).num("alpha", alpha)
                            .num("flags", flags).num("key", key).text());

    RECT tabRect = tab ? WindowRectOf(tab) : outer;
    std::vector<std::string> controls;
    for (HWND c : DirectChildren(t.main)) {
        if (c == tab) continue;
        controls.push_back(ControlJson(t, c, tabRect));
    }
    Print(Json().num("pid", t.pid).boolean("same_bitness", SameBitness(t))
              .num("acp", RemoteAcp(t)).num("probe_acp", GetACP())
              .add("main", main.text()).add("tab", tab ? TabJson(t, tab) : "null")
              .add("controls", JsonArray(controls)).text());
    return 0;
}

int CmdClick(const Args& args) {
    if (args.size() < 3) fail(2, "usage: click <id>");
    Target t = OpenTarget();
    HWND c = Control(t, ParseInt(args[2], "id"));
    if (!PostMessageW(c, BM_CLICK, 0, 0)) fail(4, "PostMessage BM_CLICK failed");
    Print(Json().boolean("posted", true).text());
    return 0;
}

// Sends BM_CLICK instead of posting it: the call returns only after the
// button's handler has finished, so what the probe reads next is its result.
int CmdPress(const Args& args) {
    if (args.size() < 3) fail(2, "usage: press <id> [ms]");
    Target t = OpenTarget();
    HWND c = Control(t, ParseInt(args[2], "id"));
    UINT timeout = args.size() > 3 ? static_cast<UINT>(ParseInt(args[3], "time-out")) : 30000;
    DWORD start = GetTickCount();
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(c, BM_CLICK, 0, 0, SMTO_NORMAL, timeout, &result))
        fail(4, "BM_CLICK not handled within " + std::to_string(timeout) + " ms");
    Print(Json().boolean("handled", true).num("ms", GetTickCount() - start).text());
    return 0;
}

int CmdList(const Args&) {
    std::vector<std::string> items;
    for (HWND h : AllMainWindows(g_pid)) {
        DWORD pid = 0;
        GetWindowThreadProcessId(h, &pid);
        items.push_back(Json().num("hwnd", reinterpret_cast<uintptr_t>(h)).num("pid", pid)
                            .boolean("visible", IsWindowVisible(h) != FALSE).text());
    }
    Print(JsonArray(items));
    return 0;
}

BOOL CALLBACK CollectTopLevel(HWND h, LPARAM param) {
    if (IsWindowVisible(h)) reinterpret_cast<std::vector<HWND>*>(param)->push_back(h);
    return TRUE;
}

// Every visible top-level window: tells a test what the program showed
// instead of its main window (a message box, say).
int CmdTopLevel(const Args&) {
    std::vector<HWND> windows;
    EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&windows));
    std::vector<std::string> items;
    for (HWND h : windows) {
        DWORD pid = 0;
        GetWindowThreadProcessId(h, &pid);
        std::vector<std::string> texts;
        for (HWND c : DirectChildren(h)) {
            std::wstring text = TextOf(c);
            if (!text.empty()) texts.push_back(JsonString(text));
        }
        items.push_back(Json().num("pid", pid).str("class", ClassOf(h)).str("title", TextOf(h))
                            .add("child_texts", JsonArray(texts)).text());
    }
    Print(JsonArray(items));
    return 0;
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

// settext <id> <text> | settext <id> --hex <utf8 as hex> | settext <id> --file <utf8 file>
// Text with line breaks, or characters the Unix locale cannot carry through
// Wine's command line, goes through --hex or --file.
int CmdSetText(const Args& args) {
    if (args.size() < 4) fail(2, "usage: settext <id> <text> | --hex <hex> | --file <path>");
    std::wstring text;
    if (args[3] == L"--hex") text = FromUtf8(FromHex(args[4]));
    else if (args[3] == L"--file") text = FromUtf8(ReadFileBytes(args[4]));
    else text = args[3];
    Target t = OpenTarget();
    HWND c = Control(t, ParseInt(args[2], "id"));
    LRESULT ok = Send(c, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    Print(Json().boolean("ok", ok != 0).str("text", TextOf(c)).text());
    return ok ? 0 : 4;
}

int CmdGetText(const Args& args) {
    if (args.size() < 3) fail(2, "usage: gettext <id>");
    Target t = OpenTarget();
    HWND c = Control(t, ParseInt(args[2], "id"));
    Json j;
    j.str("text", TextOf(c));
    if (IsRichEdit(c)) {
        long n = RichLength(t, c);
        j.num("length", n).str("range", RichRange(t, c, 0, n)).add("selection", SelectionJson(GetSelection(t, c)));
    }
    Print(j.text());
    return 0;
}

int CmdSelection(const Args& args) {
    if (args.size() < 3) fail(2, "usage: sel <id>");
    Target t = OpenTarget();
    HWND c = Control(t, ParseInt(args[2], "id"));
    Print(SelectionJson(GetSelection(t, c)));
    return 0;
}

int CmdSetSelection(const Args& args) {
    if (args.size() < 5) fail(2, "usage: setsel <id> <min> <max>");
    Target t = OpenTarget();
    HWND c = Control(t, ParseInt(args[2], "id"));
    SetSelection(t, c, CHARRANGE{ParseInt(args[3], "min"), ParseInt(args[4], "max")});
    Print(SelectionJson(GetSelection(t, c)));
    return 0;
}

// The format of the box's selection as a whole, read through `fmt`: remote
// memory for one CHARFORMATW in the box's process.
CHARFORMATW SelectionFormat(HWND box, const RemoteMemory& fmt) {
    CHARFORMATW cf{};
    cf.cbSize = sizeof cf;
    if (!fmt.write(&cf, sizeof cf)) fail(4, "writing CHARFORMATW");
    Send(box, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(fmt.get()));
    if (!fmt.read(&cf, sizeof cf)) fail(4, "reading CHARFORMATW");
    return cf;
}

// The fields both format commands report for the range from..to.
Json FormatJson(long from, long to, const CHARFORMATW& cf) {
    return Json().num("from", from).num("to", to)
        .num("color", static_cast<unsigned long>(cf.crTextColor))
        .str("face", cf.szFaceName).num("height", cf.yHeight)
        .num("effects", static_cast<unsigned long>(cf.dwEffects))
        .num("mask", static_cast<unsigned long>(cf.dwMask))
        .num("offset", cf.yOffset);
}

// Reads the format of one character at a time: a selection spanning several
// formats reports only the parts they share, which would hide a wrong colour.
int CmdFormats(const Args& args) {
    if (args.size() < 3) fail(2, "usage: formats <id>");
    Target t = OpenTarget();
    RequireSameBitness(t);
    HWND box = Control(t, ParseInt(args[2], "id"));
    if (!IsRichEdit(box)) fail(2, "control is not a rich edit box");
    CHARRANGE saved = GetSelection(t, box);
    long n = RichLength(t, box);
    std::wstring text = RichRange(t, box, 0, n);

    RemoteMemory sel(t.process.get(), sizeof(CHARRANGE));
    RemoteMemory fmt(t.process.get(), sizeof(CHARFORMATW));
    if (!sel || !fmt) fail(4, "remote memory for CHARFORMATW");

    struct Run { long from, to; CHARFORMATW cf; std::wstring text; };
    std::vector<Run> runs;
    auto same = [](const CHARFORMATW& a, const CHARFORMATW& b) {
        return a.dwMask == b.dwMask && a.dwEffects == b.dwEffects && a.yHeight == b.yHeight &&
               a.yOffset == b.yOffset && a.crTextColor == b.crTextColor &&
               a.bCharSet == b.bCharSet && wcscmp(a.szFaceName, b.szFaceName) == 0;
    };
    for (long i = 0; i < n; ++i) {
        CHARRANGE cr{i, i + 1};
        if (!sel.write(&cr, sizeof cr)) fail(4, "writing CHARRANGE");
        Send(box, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(sel.get()));
        const CHARFORMATW cf = SelectionFormat(box, fmt);
        wchar_t ch = static_cast<size_t>(i) < text.size() ? text[static_cast<size_t>(i)] : L'\0';
        if (!runs.empty() && runs.back().to == i && same(runs.back().cf, cf)) {
            runs.back().to = i + 1;
            runs.back().text += ch;
        } else {
            runs.push_back(Run{i, i + 1, cf, std::wstring(1, ch)});
        }
    }
    SetSelection(t, box, saved);

    std::vector<std::string> items;
    for (const Run& r : runs) {
        items.push_back(FormatJson(r.from, r.to, r.cf).num("charset", r.cf.bCharSet).str("text", r.text).text());
    }
    CHARRANGE after = GetSelection(t, box);
    Print(Json().num("length", n).str("text", text).add("selection", SelectionJson(after))
              .add("runs", JsonArray(items)).text());
    return 0;
}

// rangeformats <id> <from> <to> [<from> <to>]...: the format each range has as a
// whole; a field that differs inside a range comes back unmarked in "mask".
// Checks a long text run by run, where reading every character would take minutes.
int CmdRangeFormats(const Args& args) {
    if (args.size() < 5 || (args.size() - 3) % 2) fail(2, "usage: rangeformats <id> <from> <to> [<from> <to>]...");
    Target t = OpenTarget();
    RequireSameBitness(t);
    HWND box = Control(t, ParseInt(args[2], "id"));
    if (!IsRichEdit(box)) fail(2, "control is not a rich edit box");
    CHARRANGE saved = GetSelection(t, box);
    RemoteMemory fmt(t.process.get(), sizeof(CHARFORMATW));
    if (!fmt) fail(4, "remote memory for CHARFORMATW");
    std::vector<std::string> items;
    for (int i = 3; i + 1 < args.size(); i += 2) {
        const long from = ParseInt(args[i], "from"), to = ParseInt(args[i + 1], "to");
        SetSelection(t, box, CHARRANGE{from, to});
        items.push_back(FormatJson(from, to, SelectionFormat(box, fmt)).text());
    }
    SetSelection(t, box, saved);
    Print(JsonArray(items));
    return 0;
}

int CmdResize(const Args& args) {
    if (args.size() < 4) fail(2, "usage: resize <width> <height>");
    Target t = OpenTarget();
    int w = ParseInt(args[2], "width"), h = ParseInt(args[3], "height");
    if (!SetWindowPos(t.main, nullptr, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE))
        fail(4, "SetWindowPos failed");
    Print(Json().add("rect", RectJson(WindowRectOf(t.main))).text());
    return 0;
}

// close [ms]: posts WM_CLOSE and, unless ms is 0, waits for the process to end
// and reports its exit code. The process handle is opened before posting, so
// the exit code can still be read however fast the program goes away.
int CmdClose(const Args& args) {
    int timeout = args.size() > 2 ? ParseInt(args[2], "time-out") : 10000;
    Target t = OpenTarget();
    DWORD start = GetTickCount();
    if (!PostMessageW(t.main, WM_CLOSE, 0, 0)) fail(4, "PostMessage WM_CLOSE failed");
    if (timeout == 0) {
        Print(Json().num("pid", t.pid).boolean("posted", true).text());
        return 0;
    }
    if (WaitForSingleObject(t.process.get(), static_cast<DWORD>(timeout)) != WAIT_OBJECT_0)
        fail(4, "process " + std::to_string(t.pid) + " still running " + std::to_string(timeout) +
                    " ms after WM_CLOSE");
    DWORD code = 0;
    GetExitCodeProcess(t.process.get(), &code);
    Print(Json().num("pid", t.pid).boolean("posted", true).num("exit_code", static_cast<long>(code))
              .num("ms", GetTickCount() - start).text());
    return 0;
}

// ---------------------------------------------------------------- window options

// alpha: the main window's layered attributes as another process sees them.
int CmdAlpha(const Args&) {
    Target t = OpenTarget();
    COLORREF key = 0;
    BYTE alpha = 0;
    DWORD flags = 0;
    SetLastError(0);
    BOOL ok = GetLayeredWindowAttributes(t.main, &key, &alpha, &flags);
    DWORD error = ok ? 0 : GetLastError();
    LONG exStyle = GetWindowLongW(t.main, GWL_EXSTYLE);
    Print(Json().boolean("ok", ok != FALSE).num("error", error)
              .boolean("layered", (exStyle & WS_EX_LAYERED) != 0).num("alpha", alpha).num("flags", flags)
              .num("key", key).num("ex_style", static_cast<unsigned long>(exStyle)).text());
    return 0;
}

HWND FocusOf(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    DWORD thread = GetWindowThreadProcessId(window, nullptr);
    return GetGUIThreadInfo(thread, &info) ? info.hwndFocus : nullptr;
}

// trackbar <id>: position, range, steps, and where its thumb and channel are on the screen.
int CmdTrackbar(const Args& args) {
    if (args.size() < 3) fail(2, "usage: trackbar <id>");
    Target t = OpenTarget();
    RequireSameBitness(t);
    HWND bar = Control(t, ParseInt(args[2], "id"));
    if (!IsClass(bar, TRACKBAR_CLASSW)) fail(2, "control is not a trackbar");
    RemoteMemory mem(t.process.get(), 2 * sizeof(RECT));
    if (!mem) fail(4, "remote memory for RECT");
    Send(bar, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(mem.at(0)));
    Send(bar, TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(mem.at(sizeof(RECT))));
    RECT rects[2]{};
    if (!mem.read(rects, sizeof rects)) fail(4, "reading trackbar rectangles");
    POINT origin{0, 0};
    ClientToScreen(bar, &origin);
    for (RECT& r : rects) OffsetRect(&r, origin.x, origin.y);
    Print(Json().num("pos", Send(bar, TBM_GETPOS, 0, 0)).num("min", Send(bar, TBM_GETRANGEMIN, 0, 0))
              .num("max", Send(bar, TBM_GETRANGEMAX, 0, 0)).num("line_size", Send(bar, TBM_GETLINESIZE, 0, 0))
              .num("page_size", Send(bar, TBM_GETPAGESIZE, 0, 0)).add("thumb", RectJson(rects[0]))
              .add("channel", RectJson(rects[1])).add("screen_rect", RectJson(WindowRectOf(bar)))
              .boolean("focused", FocusOf(t.main) == bar).text());
    return 0;
}

// state <id>...: the current page, the main window's alpha (-1 when it has
// none) and, per control, what a user would see of it: a check box's or radio
// button's check, a slider's position, else its text.
// Much cheaper than dump when a test only follows a few controls.
int CmdState(const Args& args) {
    Target t = OpenTarget();
    HWND tab = GetDlgItem(t.main, kTabId);
    std::vector<std::string> items;
    for (int i = 2; i < args.size(); ++i) {
        int id = ParseInt(args[i], "id");
        HWND c = Control(t, id);
        Json j;
        j.num("id", id);
        if (IsClass(c, L"Button")) j.num("check", Send(c, BM_GETCHECK, 0, 0));
        else if (IsClass(c, TRACKBAR_CLASSW)) j.num("pos", Send(c, TBM_GETPOS, 0, 0));
        else j.str("text", TextOf(c));
        items.push_back(j.text());
    }
    BYTE alpha = 0;
    DWORD flags = 0;
    BOOL layered = GetLayeredWindowAttributes(t.main, nullptr, &alpha, &flags) && (flags & LWA_ALPHA);
    Print(Json().num("page", tab ? Send(tab, TCM_GETCURSEL, 0, 0) : -1).num("alpha", layered ? alpha : -1)
              .add("controls", JsonArray(items)).text());
    return 0;
}

// ---------------------------------------------------------------- other programs

struct ClassSearch {
    std::wstring cls;
    HWND found;
};

BOOL CALLBACK FindVisibleOfClass(HWND h, LPARAM param) {
    auto* search = reinterpret_cast<ClassSearch*>(param);
    if (IsWindowVisible(h) && _wcsicmp(ClassOf(h).c_str(), search->cls.c_str()) == 0) {
        search->found = h;
        return FALSE;
    }
    return TRUE;
}

std::string ScreenPoint(HWND h, POINT p) {
    ClientToScreen(h, &p);
    return Json().num("x", p.x).num("y", p.y).text();
}

// Where each line of a plain edit control starts on the screen, so a test can
// drag over exactly one line. EM_POSFROMCHAR answers in its result: no pointers.
std::string EditLinesJson(HWND edit) {
    std::vector<std::string> lines;
    LRESULT count = Send(edit, EM_GETLINECOUNT, 0, 0);
    for (LRESULT i = 0; i < count && i < 50; ++i) {
        LRESULT first = Send(edit, EM_LINEINDEX, static_cast<WPARAM>(i), 0);
        LRESULT length = Send(edit, EM_LINELENGTH, static_cast<WPARAM>(first), 0);
        auto packed = static_cast<DWORD>(Send(edit, EM_POSFROMCHAR, static_cast<WPARAM>(first), 0));
        POINT p{static_cast<short>(LOWORD(packed)), static_cast<short>(HIWORD(packed))};
        lines.push_back(Json().num("index", first).num("length", length).add("start", ScreenPoint(edit, p)).text());
    }
    return JsonArray(lines);
}

// window <class> [x y w h]: a visible top-level window of another program (say
// Wine's notepad), moved first when a rectangle is given, with its children.
int CmdWindow(const Args& args) {
    if (args.size() < 3) fail(2, "usage: window <class> [x y w h]");
    ClassSearch search{args[2], nullptr};
    EnumWindows(FindVisibleOfClass, reinterpret_cast<LPARAM>(&search));
    HWND h = search.found;
    if (!h) fail(3, "no visible top-level window of class " + ToUtf8(args[2]));
    if (args.size() >= 7) {
        int x = ParseInt(args[3], "x"), y = ParseInt(args[4], "y");
        int w = ParseInt(args[5], "width"), hgt = ParseInt(args[6], "height");
        if (!SetWindowPos(h, nullptr, x, y, w, hgt, SWP_NOZORDER | SWP_NOACTIVATE)) fail(4, "SetWindowPos failed");
    }
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    std::vector<std::string> children;
    for (HWND c : DirectChildren(h)) {
        RECT client{};
        GetClientRect(c, &client);
        Json j;
        j.num("id", GetDlgCtrlID(c)).str("class", ClassOf(c)).add("screen_rect", RectJson(WindowRectOf(c)))
            .add("client_origin", ScreenPoint(c, POINT{0, 0})).add("client_rect", RectJson(client))
            .boolean("visible", IsWindowVisible(c) != FALSE).str("text", TextOf(c));
        if (IsClass(c, L"Edit")) {
            auto packed = static_cast<DWORD>(Send(c, EM_GETSEL, 0, 0));
            j.add("selection", Json().num("min", LOWORD(packed)).num("max", HIWORD(packed)).text())
                .add("lines", EditLinesJson(c));
        }
        children.push_back(j.text());
    }
    Print(Json().num("hwnd", reinterpret_cast<uintptr_t>(h)).num("pid", pid).str("title", TextOf(h))
              .add("rect", RectJson(WindowRectOf(h))).boolean("foreground", GetForegroundWindow() == h)
              .add("children", JsonArray(children)).text());
    return 0;
}

// ---------------------------------------------------------------- clipboard

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

// clipdump: every format on the clipboard in the order the clipboard lists
// them: id, name, and its bytes (hex up to 16 KB, FNV-1a 64 of all of them);
// bitmaps by size and a checksum of their pixels.
int CmdClipDump(const Args&) {
    Print(ClipboardJson());
    return 0;
}

UINT ParseFormat(const std::wstring& word) {
    if (!word.empty() && iswdigit(word[0])) return static_cast<UINT>(ParseInt(word, "format"));
    UINT id = RegisterClipboardFormatW(word.c_str());
    if (!id) fail(4, "RegisterClipboardFormat failed for " + ToUtf8(word));
    return id;
}

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

int Usage() {
    std::fputs("usage: probe <command> [args]\n"
               "  wait [ms]                 until the main window is visible\n"
               "  dump                      window, tab control and every control as JSON\n"
               "  click <id>                post BM_CLICK\n"
               "  settext <id> <text>|--hex <hex>|--file <path>\n"
               "  gettext <id>              text (and selection of a rich edit)\n"
               "  sel <id> | setsel <id> <min> <max>\n"
               "  formats <id>              character formats of a rich edit, in runs\n"
               "  rangeformats <id> <from> <to>...  the format of each range as a whole\n"
               "  resize <w> <h>            outer size of the main window\n"
               "  press <id> [ms]           send BM_CLICK: returns once the handler is done\n"
               "  list                      every main window with its process id\n"
               "  toplevel                  every visible top-level window with its texts\n"
               "  close [ms]                post WM_CLOSE, wait for the exit code (0: no wait)\n"
               "  alpha                     layered style and alpha of the main window\n"
               "  state <id>...             page, alpha; checks, slider positions or texts\n"
               "  trackbar <id>             position, range, steps, thumb and channel on the screen\n"
               "  window <class> [x y w h]  another program's top-level window (moved first), children\n"
               "  clipput [<format>=<hex>]...  empty the clipboard, put these bytes; then as clipdump\n"
               "  clipdump                  every clipboard format with its bytes (hex, FNV-1a 64)\n"
               "  cliptext                  the clipboard's Unicode text\n"
               "options before the command: --pid <n> picks that process's main window\n",
               stderr);
    return 2;
}

}  // namespace

int main() {
    LocalArgv all;
    std::vector<std::wstring> words;
    for (int i = 0; i < all.size(); ++i) words.push_back(all[i]);
    try {
        if (words.size() > 2 && words[1] == L"--pid") {
            g_pid = static_cast<DWORD>(ParseInt(words[2], "pid"));
            words.erase(words.begin() + 1, words.begin() + 3);
        }
    } catch (const Failure&) {
        return Usage();
    }
    Args args(words);
    if (args.size() < 2) return Usage();
    std::wstring cmd = args[1];
    try {
        if (cmd == L"wait") return CmdWait(args);
        if (cmd == L"dump") return CmdDump(args);
        if (cmd == L"click") return CmdClick(args);
        if (cmd == L"settext") return CmdSetText(args);
        if (cmd == L"gettext") return CmdGetText(args);
        if (cmd == L"sel") return CmdSelection(args);
        if (cmd == L"setsel") return CmdSetSelection(args);
        if (cmd == L"formats") return CmdFormats(args);
        if (cmd == L"rangeformats") return CmdRangeFormats(args);
        if (cmd == L"resize") return CmdResize(args);
        if (cmd == L"close") return CmdClose(args);
        if (cmd == L"press") return CmdPress(args);
        if (cmd == L"list") return CmdList(args);
        if (cmd == L"toplevel") return CmdTopLevel(args);
        if (cmd == L"alpha") return CmdAlpha(args);
        if (cmd == L"state") return CmdState(args);
        if (cmd == L"trackbar") return CmdTrackbar(args);
        if (cmd == L"window") return CmdWindow(args);
        if (cmd == L"clipput") return CmdClipPut(args);
        if (cmd == L"clipdump") return CmdClipDump(args);
        if (cmd == L"cliptext") return CmdClipText(args);
        return Usage();
    } catch (const Failure& f) {
        std::string line = "probe: " + f.message + "\n";
        std::fwrite(line.data(), 1, line.size(), stderr);
        Print(Json().str("error", FromUtf8(f.message)).text());
        return f.code;
    }
}
