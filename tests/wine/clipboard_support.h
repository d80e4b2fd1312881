// Putting bytes and texts on the clipboard, as a copying program would: what
// the clipboard tests, the import tests (the user's clipboard to put back) and
// the local search tests (rich text pasted into the bank) use in place of a user.
#pragma once
#include <windows.h>

#include <cstring>
#include <string>

#include "platform/Clipboard.h"
#include "platform/Handles.h"
#include "platform/Text.h"

// Puts a copy of the bytes on the clipboard, which the caller has opened,
// under the format; false when the memory or the clipboard failed.
inline bool PutClipboardBytes(UINT format, const void* data, size_t size) {
  GlobalMemory memory(GlobalAlloc(GMEM_MOVEABLE, size));
  if (!memory) return false;
  {
    GlobalLockGuard lock(memory.Get());
    if (!lock) return false;
    std::memcpy(lock.Data(), data, size);
  }
  if (!SetClipboardData(format, memory.Get())) return false;
  memory.Release();  // the clipboard's now
  return true;
}

// Replaces the clipboard's content by the GBK text, put there as Unicode text.
// Waits for a busy clipboard as the program does; false when it stayed busy.
inline bool WriteClipboardTextGbk(HWND owner, const std::string& gbk) {
  const std::wstring wide = GbkToWide(gbk);
  ClipboardOpening clipboard(owner);
  return clipboard.IsOpen() && EmptyClipboard() &&
         PutClipboardBytes(CF_UNICODETEXT, wide.c_str(), (wide.size() + 1) * sizeof(wchar_t));
}
