// Putting a text on the clipboard, as a copying program would: what the tests
// of the capture's and the import's clipboard use in place of a user.
#pragma once
#include <windows.h>

#include <cstring>
#include <string>

#include "platform/Clipboard.h"
#include "platform/Handles.h"
#include "platform/Text.h"

// Replaces the clipboard's content by the GBK text, put there as Unicode text.
// Waits for a busy clipboard as the program does; false when it stayed busy.
inline bool WriteClipboardTextGbk(HWND owner, const std::string& gbk) {
  const std::wstring wide = GbkToWide(gbk);
  const std::size_t bytes = (wide.size() + 1) * sizeof(wchar_t);
  ClipboardOpening clipboard(owner);
  if (!clipboard.IsOpen() || !EmptyClipboard()) return false;
  GlobalMemory memory(GlobalAlloc(GMEM_MOVEABLE, bytes));
  if (!memory) return false;
  {
    GlobalLockGuard lock(memory.Get());
    if (!lock) return false;
    std::memcpy(lock.Data(), wide.c_str(), bytes);
  }
  if (!SetClipboardData(CF_UNICODETEXT, memory.Get())) return false;
  memory.Release();  // the clipboard's now
  return true;
}
