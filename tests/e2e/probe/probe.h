// probe.exe: reads and pokes a running Tavrel.exe from another process, so the
// end-to-end scenarios can look at the real window the way a user's tools would.
// Every command prints one JSON value (UTF-8) on stdout. Exit codes: 0 success,
// 2 bad usage, 3 window or control not found, 4 a system call failed.
//
// Messages that carry pointers need memory inside the target process; the
// structures then only line up when probe and program have the same bitness,
// which is why the build makes the probe in the same flavour as the program.
//
// What the parts of the probe share: the guards, the errors, the text and JSON
// helpers, the target window and the commands, one file a section.
#pragma once

#ifndef UNICODE
#define UNICODE
#endif
#ifndef _UNICODE
#define _UNICODE
#endif
#include <windows.h>
#include <commctrl.h>
#include <richedit.h>

#include <string>
#include <utility>
#include <vector>

namespace probe {

constexpr wchar_t kMainClass[] = L"TavrelMainWindow";
constexpr int kTabId = 1000;
constexpr UINT kSendTimeoutMs = 5000;

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

[[noreturn]] inline void fail(int code, const std::string& message) { throw Failure{code, message}; }

// ---------------------------------------------------------------- text (text.cpp)

std::string ToUtf8(const std::wstring& w);
std::wstring FromUtf8(const std::string& s);
std::string JsonString(const std::wstring& w);
std::string JsonString(const std::string& utf8);

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

std::string JsonArray(const std::vector<std::string>& items);
std::string RectJson(const RECT& r);
// One JSON value as a line on stdout, or into the CapturedOutput that lives.
void Print(const std::string& json);

// While one lives, Print appends to its text instead of writing to stdout: the
// server (serve.cpp) sends each command's output back over its connection.
class CapturedOutput {
public:
    CapturedOutput();
    ~CapturedOutput();
    CapturedOutput(const CapturedOutput&) = delete;
    CapturedOutput& operator=(const CapturedOutput&) = delete;
    const std::string& text() const { return text_; }
    void append(const std::string& s) { text_ += s; }
private:
    std::string text_;
    CapturedOutput* outer_;
};

int ParseInt(const std::wstring& s, const char* what);
std::string FromHex(const std::wstring& hex);
std::string ReadFileBytes(const std::wstring& path);

// ---------------------------------------------------------------- target (target.cpp)

struct Target {
    HWND main = nullptr;
    DWORD pid = 0;
    Handle process;
};

// Set by --pid: with it, only the main window of that process counts, so a
// second copy of the program (say, from a test that did not clean up) is never
// poked by mistake.
extern DWORD g_pid;

std::vector<HWND> AllMainWindows(DWORD pid);
HWND FindMain();
Target OpenTarget();
bool SameBitness(const Target& t);
void RequireSameBitness(const Target& t);
HWND Control(const Target& t, int id);
LRESULT Send(HWND h, UINT msg, WPARAM w, LPARAM l);
std::wstring ClassOf(HWND h);
std::wstring TextOf(HWND h);
bool IsClass(HWND h, const wchar_t* name);
bool IsRichEdit(HWND h);
CHARRANGE GetSelection(const Target& t, HWND box);
void SetSelection(const Target& t, HWND box, CHARRANGE cr);
std::string SelectionJson(const CHARRANGE& cr);
long RichLength(const Target& t, HWND box);
std::wstring RichRange(const Target& t, HWND box, long from, long to);
long RemoteAcp(const Target& t);
RECT WindowRectOf(HWND h);
std::vector<HWND> DirectChildren(HWND parent);

// ---------------------------------------------------------------- commands

// window_commands.cpp: the main window and its controls.
int CmdWait(const Args& args);
int CmdDump(const Args& args);
int CmdClick(const Args& args);
int CmdPress(const Args& args);
int CmdList(const Args& args);
int CmdTopLevel(const Args& args);
int CmdSetText(const Args& args);
int CmdGetText(const Args& args);
int CmdSelection(const Args& args);
int CmdSetSelection(const Args& args);
int CmdFormats(const Args& args);
int CmdRangeFormats(const Args& args);
int CmdResize(const Args& args);
int CmdClose(const Args& args);
// window_options.cpp
int CmdAlpha(const Args& args);
int CmdTrackbar(const Args& args);
int CmdState(const Args& args);
// other_programs.cpp
int CmdWindow(const Args& args);
// clipboard.cpp
int CmdClipPut(const Args& args);
int CmdClipDump(const Args& args);
int CmdClipText(const Args& args);

// main.cpp: one command line (its first word the program's name) run as
// main runs it; its exit code.
int RunCommand(std::vector<std::wstring> words);
// serve.cpp: serve <port>
int Serve(const Args& args);

}  // namespace probe
