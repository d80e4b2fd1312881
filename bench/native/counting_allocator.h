// Every allocation of the benchmark program counted, so a search's peak use
// beyond what was live before it can be read off. Include it in one file of a
// program only: it replaces the global operator new and delete.
#pragma once
#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <new>

namespace counting {

inline size_t liveBytes = 0;
inline size_t peakBytes = 0;

inline void* Allocate(size_t size) {
  // The size is kept in front of the block for the matching release.
  void* block = std::malloc(size + 16);
  if (!block) throw std::bad_alloc();
  *static_cast<size_t*>(block) = size;
  liveBytes += size;
  peakBytes = std::max(peakBytes, liveBytes);
  return static_cast<char*>(block) + 16;
}

inline void Release(void* p) {
  if (!p) return;
  void* block = static_cast<char*>(p) - 16;
  liveBytes -= *static_cast<size_t*>(block);
  std::free(block);
}

}  // namespace counting

void* operator new(size_t size) { return counting::Allocate(size); }
void* operator new[](size_t size) { return counting::Allocate(size); }
void operator delete(void* p) noexcept { counting::Release(p); }
void operator delete[](void* p) noexcept { counting::Release(p); }
void operator delete(void* p, size_t) noexcept { counting::Release(p); }
void operator delete[](void* p, size_t) noexcept { counting::Release(p); }
