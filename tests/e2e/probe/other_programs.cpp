// Other programs' windows, such as Wine's notepad beside the main window.
#include "probe.h"

namespace probe {

namespace {

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

}  // namespace

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

}  // namespace probe
