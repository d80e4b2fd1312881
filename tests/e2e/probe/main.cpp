// The probe's entry: one command from the command line, or the server.
#include "probe.h"

#include <shellapi.h>

#include <cstdio>

namespace probe {

namespace {

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
               "  serve <port>              answer commands over a connection to 127.0.0.1:<port>\n"
               "options before the command: --pid <n> picks that process's main window\n",
               stderr);
    return 2;
}

}  // namespace

int RunCommand(std::vector<std::wstring> words) {
    g_pid = 0;
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

}  // namespace probe

int main() {
    probe::LocalArgv all;
    std::vector<std::wstring> words;
    for (int i = 0; i < all.size(); ++i) words.push_back(all[i]);
    if (words.size() > 1 && words[1] == L"serve") return probe::Serve(probe::Args(words));
    return probe::RunCommand(std::move(words));
}
