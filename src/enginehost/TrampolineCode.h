// The machine code of one callback trampoline: the engine calls it like a plain
// function and it hands every argument on to the adapter, whose result comes back.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

// 32-bit x86, 12 + 6n bytes: a frame, the adapter's address in EAX, the engine's
// n arguments pushed again from the last to the first, a call through EAX, the
// frame undone. The adapter removes its own n arguments; the engine removes its
// copies after the return.
std::vector<uint8_t> TrampolineCodeX86(uint32_t adapter, int argumentCount);
constexpr size_t TrampolineSizeX86(int argumentCount) { return 12 + 6 * static_cast<size_t>(argumentCount); }

// x86-64, 12 bytes for any argument count: MOV RAX, adapter; JMP RAX. There the
// engine and the adapter share one calling convention, so a jump leaves registers
// and stack exactly as the engine set them, and the adapter returns straight to it.
std::vector<uint8_t> TrampolineCodeX64(uint64_t adapter);
constexpr size_t kTrampolineSizeX64 = 12;

// The trampoline for the machine this program is built for.
std::vector<uint8_t> TrampolineCode(uintptr_t adapter, int argumentCount);
