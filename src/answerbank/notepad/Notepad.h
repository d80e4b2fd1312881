// The notepad page: one text file beside the program, read and saved whole.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

// The controls the notepad works on: its box and its status line, and how it
// asks the user a question. The main window registers its own; tests register theirs.
struct NotepadControls {
  HWND box = nullptr;
  HWND statusLabel = nullptr;
  // Asks a yes-or-no question (GBK), "no" the default; true for "yes".
  // Without one, the answer is no.
  std::function<bool(const std::string& question)> confirm = nullptr;
};

void SetNotepadControls(const NotepadControls& controls);

// "\我的文件.txt" in the folder of the running program, built from the
// program's UTF-16 path, so a folder named in any language works.
std::wstring NotepadFilePath();

// Replaces the file with `bytes` through a temporary file beside it; 0 or the error.
uint32_t SaveWholeFile(const std::wstring& path, const std::string& bytes);

// The buttons' handlers. Each ends with its status line, also when memory
// runs out in its middle.
void NewNote();
// A file beyond the limits (answerbank/notepad/NotepadFile.h) is not read.
void ReadNote();
// After a read that did not show the file as it is, asks before it writes
// the box's text over the whole file.
void SaveNote();
void FormatNote();
