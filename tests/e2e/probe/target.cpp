// The target: the program's main window and its process, and the messages and
// remote memory through which the commands read its controls.
#include "probe.h"

#include <psapi.h>

#include <cstdint>
#include <cstdio>
#include <cwchar>

namespace probe {

DWORD g_pid = 0;

namespace {

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

}  // namespace

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

}  // namespace probe
