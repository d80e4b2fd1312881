// Makes one of the test program's own allocations fail, as when memory runs
// out in the middle of a handler: the program's global operator new is
// replaced. Include it in one file of a test program only.
#pragma once
#include <cstddef>
#include <cstdlib>
#include <new>

namespace failingnew {

struct Plan {
  bool armed = false;
  std::size_t minBytes = 0;
  int skip = 0;
  bool failed = false;
};

inline Plan& Current() {
  static Plan plan;
  return plan;
}

// The allocation of at least `minBytes` that comes after `skip` such
// allocations fails with std::bad_alloc; only that one.
inline void FailOne(std::size_t minBytes, int skip) { Current() = Plan{true, minBytes, skip, false}; }

// Stops waiting for it; true when it came.
inline bool Disarm() {
  Current().armed = false;
  return Current().failed;
}

}  // namespace failingnew

void* operator new(std::size_t size) {
  failingnew::Plan& plan = failingnew::Current();
  if (plan.armed && size >= plan.minBytes && plan.skip-- == 0) {
    plan.armed = false;
    plan.failed = true;
    throw std::bad_alloc();
  }
  if (void* memory = std::malloc(size ? size : 1)) return memory;
  throw std::bad_alloc();
}
