// Runs the 32-bit trampoline bytes for real: a static i386 Linux program (under
// qemu-i386 where the kernel runs no 32-bit code) that calls them the way the
// engine calls its callbacks, cdecl, and checks what the stdcall adapter saw.
#include <sys/mman.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "enginehost/TrampolineCode.h"

// call_x86.S: pushes args[n-1] .. args[0], calls fn, removes n arguments as a
// cdecl caller does, and stores how far ESP moved overall in *espDelta.
extern "C" uint32_t CallWithArguments(const void* fn, const uint32_t* args, int n, int32_t* espDelta);

namespace {

int failures = 0;

void Expect(bool ok, const char* what, long long actual, long long expected) {
  if (ok) return;
  ++failures;
  std::printf("FAIL %s: actual %lld, expected %lld\n", what, actual, expected);
}

uint32_t seen[7];
int calls = 0;

extern "C" __attribute__((stdcall)) uint32_t Adapter3(uint32_t a, uint32_t b, uint32_t c) {
  seen[0] = a;
  seen[1] = b;
  seen[2] = c;
  ++calls;
  return a * 100 + b * 10 + c;
}

extern "C" __attribute__((stdcall)) uint32_t Adapter4(uint32_t a, uint32_t b, uint32_t c, uint32_t d) {
  seen[0] = a;
  seen[1] = b;
  seen[2] = c;
  seen[3] = d;
  ++calls;
  return 0x80000000u | d;
}

extern "C" __attribute__((stdcall)) uint32_t Adapter5(uint32_t a, uint32_t b, uint32_t c, uint32_t d,
                                                        uint32_t e) {
  seen[0] = a;
  seen[1] = b;
  seen[2] = c;
  seen[3] = d;
  seen[4] = e;
  ++calls;
  return e;
}

extern "C" __attribute__((stdcall)) uint32_t Adapter7(uint32_t a, uint32_t b, uint32_t c, uint32_t d, uint32_t e,
                                                        uint32_t f, uint32_t g) {
  const uint32_t all[7] = {a, b, c, d, e, f, g};
  std::memcpy(seen, all, sizeof all);
  ++calls;
  return a + b + c + d + e + f + g;
}

// Written while writable, executed once execute-read, as the program does.
void* Install(const std::vector<uint8_t>& code) {
  void* block = mmap(nullptr, code.size(), PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (block == MAP_FAILED) return nullptr;
  std::memcpy(block, code.data(), code.size());
  if (mprotect(block, code.size(), PROT_READ | PROT_EXEC) != 0) return nullptr;
  return block;
}

void Check(const char* name, const void* adapter, int n, uint32_t expectedResult) {
  const std::vector<uint8_t> code = TrampolineCodeX86(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(adapter)), n);
  Expect(code.size() == TrampolineSizeX86(n), name, static_cast<long long>(code.size()), 12 + 6 * n);
  void* trampoline = Install(code);
  if (!trampoline) {
    ++failures;
    std::printf("FAIL %s: no executable memory\n", name);
    return;
  }
  uint32_t args[7] = {1, 2, 3, 4, 5, 6, 7};
  std::memset(seen, 0, sizeof seen);
  int32_t delta = -1;
  const uint32_t result = CallWithArguments(trampoline, args, n, &delta);
  for (int i = 0; i < n; ++i) Expect(seen[i] == args[i], name, seen[i], args[i]);
  Expect(result == expectedResult, name, result, expectedResult);
  Expect(delta == 0, name, delta, 0);

  // Many calls with changing values: the stack must stay exactly balanced.
  const int before = calls;
  for (uint32_t round = 0; round < 100000 && failures == 0; ++round) {
    for (int i = 0; i < n; ++i) args[i] = round * 7 + static_cast<uint32_t>(i);
    delta = -1;
    CallWithArguments(trampoline, args, n, &delta);
    if (delta != 0 || seen[0] != args[0] || seen[n - 1] != args[n - 1]) {
      Expect(false, name, delta, 0);
      break;
    }
  }
  Expect(calls - before == 100000, name, calls - before, 100000);
  munmap(trampoline, code.size());
  std::printf("%s: %s\n", name, failures == 0 ? "ok" : "FAILED");
}

}  // namespace

int main() {
  if (sizeof(void*) != 4) {
    std::printf("not a 32-bit build\n");
    return 1;
  }
  Check("3 arguments", reinterpret_cast<const void*>(&Adapter3), 3, 123);
  Check("4 arguments", reinterpret_cast<const void*>(&Adapter4), 4, 0x80000004u);
  Check("5 arguments", reinterpret_cast<const void*>(&Adapter5), 5, 5);
  Check("7 arguments", reinterpret_cast<const void*>(&Adapter7), 7, 28);
  std::printf("%s\n", failures == 0 ? "all passed" : "some failed");
  return failures == 0 ? 0 : 1;
}
