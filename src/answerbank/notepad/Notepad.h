// The notepad page: one text file beside the program, read and saved whole.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

// The controls the notepad works on: its box and its status line. The main
// window registers its own; tests register theirs.
struct NotepadControls {
  HWND box = nullptr;
  HWND statusLabel = nullptr;
};

void SetNotepadControls(const NotepadControls& controls);

// "\我的文件.txt" in the folder of the running program, built from the
// program's UTF-16 path, so a folder named in any language works.
std::wstring NotepadFilePath();

// Replaces the file with `bytes` through a temporary file beside it; 0 or the error.
uint32_t SaveWholeFile(const std::wstring& path, const std::string& bytes);

void NewNote();
void ReadNote();
void SaveNote();
void FormatNote();
