#include "enginehost/Trampolines.h"

#include <cstdint>
#include <cstring>
#include <vector>

#include "enginehost/EngineEvents.h"
#include "enginehost/TrampolineCode.h"

VirtualMemory MakeTrampoline(const void* adapter, int argumentCount) {
  const std::vector<uint8_t> code = TrampolineCode(reinterpret_cast<uintptr_t>(adapter), argumentCount);
  VirtualMemory block(VirtualAlloc(nullptr, code.size(), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
  if (!block) return block;
  std::memcpy(block.Get(), code.data(), code.size());
  DWORD previous = 0;
  if (!VirtualProtect(block.Get(), code.size(), PAGE_EXECUTE_READ, &previous)) return VirtualMemory();
  FlushInstructionCache(GetCurrentProcess(), block.Get(), code.size());
  return block;
}

void TrampolineTable::Build() {
  if (entries_[0]) return;
  for (int i = 0; i < kCallbackCount; ++i) {
    entries_[i] = MakeTrampoline(EventAdapter(i), kCallbackArgumentCounts[i]);
  }
}

void TrampolineTable::Release() {
  for (VirtualMemory& entry : entries_) entry.Reset();
}

void* TrampolineTable::Address(int index) const {
  if (index < 0 || index >= kCallbackCount) return nullptr;
  return entries_[index].Get();
}
