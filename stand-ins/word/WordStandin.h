// The class of the stand-in word processor's application object, shared by
// the server library and the program that registers it.
#pragma once
#include <guiddef.h>

// {06CEE453-3BE2-49C5-AC3E-E0F029884A99}
constexpr GUID kWordStandinClassId = {0x06cee453, 0x3be2, 0x49c5, {0xac, 0x3e, 0xe0, 0xf0, 0x29, 0x88, 0x4a, 0x99}};
constexpr wchar_t kWordStandinClassIdText[] = L"{06CEE453-3BE2-49C5-AC3E-E0F029884A99}";
constexpr wchar_t kWordStandinProgId[] = L"Word.Application";
constexpr wchar_t kWordStandinDll[] = L"WordStandin.dll";

// The environment variable naming the file (a Windows path) that every call
// on the stand-in's objects is appended to, one line each, in UTF-8.
constexpr wchar_t kWordStandinLogVariable[] = L"TAVREL_WORD_STANDIN_LOG";

// The environment variable that makes the stand-in misbehave the way a real
// word processor sometimes does, read at each call:
//   "absent"        the application object cannot be created, as when no word
//                   processor is installed;
//   "copy-nothing"  "Copy" succeeds but leaves the clipboard alone;
//   "copy-no-text"  "Copy" puts the document on the clipboard as rich text only.
constexpr wchar_t kWordStandinModeVariable[] = L"TAVREL_WORD_STANDIN_MODE";
