// Window options as another process sees them: the main window's alpha, the
// slider, and the state of a few controls in one call.
#include "probe.h"

namespace probe {

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

namespace {

HWND FocusOf(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    DWORD thread = GetWindowThreadProcessId(window, nullptr);
    return GetGUIThreadInfo(thread, &info) ? info.hwndFocus : nullptr;
}

}  // namespace

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

}  // namespace probe
