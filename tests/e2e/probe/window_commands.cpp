// Commands on the main window and its controls: waiting for it, dumping it,
// clicks, texts, selections, character formats, size and close.
#include "probe.h"

#include <cstdint>
#include <cstring>
#include <cwchar>

namespace probe {

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

namespace {

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

}  // namespace

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

namespace {

BOOL CALLBACK CollectTopLevel(HWND h, LPARAM param) {
    if (IsWindowVisible(h)) reinterpret_cast<std::vector<HWND>*>(param)->push_back(h);
    return TRUE;
}

}  // namespace

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

namespace {

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

}  // namespace

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

}  // namespace probe
