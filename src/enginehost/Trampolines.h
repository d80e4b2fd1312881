// Executable trampolines through which the engine reaches the program's event
// adapters: the engine calls a trampoline like its own cdecl callback, and the
// trampoline calls the adapter with the same arguments.
#pragma once
#include <array>

#include "enginehost/CallbackTable.h"
#include "platform/Handles.h"

// A new trampoline to `adapter` for a callback of `argumentCount` arguments, or an
// empty block when no memory could be had. The code is written while the memory is
// only writable, then the memory becomes execute-read: never both at once.
VirtualMemory MakeTrampoline(const void* adapter, int argumentCount);

// The view's 11 trampolines, one per engine callback, in CallbackIndex order.
class TrampolineTable {
 public:
  // Makes every trampoline to its event adapter, unless the first one exists. An
  // entry whose memory could not be had stays empty.
  void Build();
  // Frees every trampoline; all entries are empty again.
  void Release();
  // The trampoline of one callback, null while it does not exist.
  void* Address(int index) const;

 private:
  std::array<VirtualMemory, kCallbackCount> entries_;
};
