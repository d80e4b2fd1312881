// The class of the stand-in word processor's application object, shared by
// the server library and the program that registers it.
#pragma once
#include <guiddef.h>

// {06CEE453-3BE2-49C5-AC3E-E0F029884A99}
constexpr GUID kWordStandinClassId = {0x06cee453, 0x3be2, 0x49c5, {0xac, 0x3e, 0xe0, 0xf0, 0x29, 0x88, 0x4a, 0x99}};
constexpr wchar_t kWordStandinClassIdText[] = L"{06CEE453-3BE2-49C5-AC3E-E0F029884A99}";
constexpr wchar_t kWordStandinProgId[] = L"Word.Application";
constexpr wchar_t kWordStandinDll[] = L"WordStandin.dll";

// The same stand-in as a program of its own (a local server), as the real word
// processor runs: started by COM when a client makes its application object,
// ended when that object quits or goes. Registered under a name of its own so
// that tests choose it where they mean to.
// {DDC1C86C-C08D-48EB-8FD5-FE8F8387EEAD}
constexpr GUID kWordStandinServerClassId = {0xddc1c86c, 0xc08d, 0x48eb, {0x8f, 0xd5, 0xfe, 0x8f, 0x83, 0x87, 0xee, 0xad}};
constexpr wchar_t kWordStandinServerClassIdText[] = L"{DDC1C86C-C08D-48EB-8FD5-FE8F8387EEAD}";
constexpr wchar_t kWordStandinServerProgId[] = L"Tavrel.WordStandin.Server";
constexpr wchar_t kWordStandinServerExe[] = L"WordStandinServer.exe";

// The environment variable naming the file (a Windows path) that every call
// on the stand-in's objects is appended to, one line each, in UTF-8.
constexpr wchar_t kWordStandinLogVariable[] = L"TAVREL_WORD_STANDIN_LOG";

// The environment variable that makes the stand-in misbehave the way a real
// word processor sometimes does, read at each call:
//   "absent"        the application object cannot be created, as when no word
//                   processor is installed;
//   "copy-nothing"  "Copy" succeeds but leaves the clipboard alone;
//   "copy-no-text"  "Copy" puts the document on the clipboard as rich text only;
//   "copy-unpasteable"  "Copy" puts only a format of its own there, which no
//                   text box can paste (as a drawing of the word processor's);
//   "busy"          every call is rejected as by a busy server
//                   (RPC_E_CALL_REJECTED) until kWordStandinBusyMs have passed
//                   since the application object was made;
//   "hang-open"     "Open" never returns (until the process ends or the
//                   release event below is set);
//   "quit-refused"  "Quit" is always rejected as by a busy server.
constexpr wchar_t kWordStandinModeVariable[] = L"TAVREL_WORD_STANDIN_MODE";
constexpr unsigned long kWordStandinBusyMs = 1500;

// A document protected by a password, as the stand-in plays it: a file whose
// first line is this marker followed by the password and a line end. Opened
// without a password argument, "Open" waits for one to be typed (until the
// release event is set: nobody can type it in a hidden window); with the
// right one it opens the rest of the file; with any other it fails at once.
constexpr char kWordStandinPasswordMarker[] = "[stand-in password]";

// The name of an event that ends every wait the stand-in plays, so that a
// test can let a stuck call return before it ends.
constexpr wchar_t kWordStandinReleaseEvent[] = L"TavrelWordStandinRelease";
