#include "enginehost/TrampolineCode.h"

namespace {

void Append32(std::vector<uint8_t>& code, uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) code.push_back(static_cast<uint8_t>(value >> shift));
}

}  // namespace

std::vector<uint8_t> TrampolineCodeX86(uint32_t adapter, int argumentCount) {
  const int n = argumentCount < 0 ? 0 : argumentCount;
  std::vector<uint8_t> code;
  code.reserve(TrampolineSizeX86(n));
  code.push_back(0x55);  // push ebp
  code.push_back(0x8B);  // mov ebp, esp
  code.push_back(0xEC);
  code.push_back(0xB8);  // mov eax, adapter
  Append32(code, adapter);
  // After push ebp the engine's first argument sits at [ebp+8], its last at
  // [ebp+4n+4]; pushing from the last keeps the adapter's argument order.
  for (int i = 1; i <= n; ++i) {
    code.push_back(0xFF);  // push dword [ebp+d]
    code.push_back(0xB5);
    Append32(code, static_cast<uint32_t>(4 * (n - i + 2)));
  }
  code.push_back(0xFF);  // call eax
  code.push_back(0xD0);
  code.push_back(0x5D);  // pop ebp
  code.push_back(0xC3);  // ret
  return code;
}

std::vector<uint8_t> TrampolineCodeX64(uint64_t adapter) {
  std::vector<uint8_t> code;
  code.reserve(kTrampolineSizeX64);
  code.push_back(0x48);  // mov rax, imm64
  code.push_back(0xB8);
  for (int shift = 0; shift < 64; shift += 8) code.push_back(static_cast<uint8_t>(adapter >> shift));
  code.push_back(0xFF);  // jmp rax
  code.push_back(0xE0);
  return code;
}

std::vector<uint8_t> TrampolineCode(uintptr_t adapter, int argumentCount) {
  if constexpr (sizeof(uintptr_t) == 4) {
    return TrampolineCodeX86(static_cast<uint32_t>(adapter), argumentCount);
  } else {
    return TrampolineCodeX64(static_cast<uint64_t>(adapter));
  }
}
