// A test program that fails on purpose, run by expect_crash.sh: a failed
// REQUIRE ends its case before the line that depends on it, so does an
// exception, and a crash ends the program at once, reported with the case and
// the address. The argument says where it crashes:
//   main        in the main thread, inside a case;
//   thread      in a thread of its own, while a case waits for it;
//   unreported  before any case runs, where only Wine itself reports it.
#include <windows.h>

#include <cstring>
#include <stdexcept>

#include "check.h"

namespace {

const char* where = "main";
int* volatile nowhere = nullptr;  // volatile: the compiler cannot drop the writes

TEST(AFailedRequireEndsItsCase) {
  int* const missing = nowhere;
  REQUIRE(missing != nullptr);
  *missing = 1;  // would crash: never reached
}

TEST(AnExceptionEndsItsCaseAndTheNextOneRuns) { throw std::runtime_error("thrown on purpose"); }

DWORD WINAPI CrashingThread(void*) {
  *nowhere = 2;
  return 0;
}

TEST(ACrashEndsTheProgram) {
  if (std::strcmp(where, "thread") == 0) {
    const HANDLE thread = CreateThread(nullptr, 0, &CrashingThread, nullptr, 0, nullptr);
    // The crash ends the process while this waits.
    if (thread) WaitForSingleObject(thread, INFINITE);
  } else {
    *nowhere = 3;
  }
}

TEST(NoCaseRunsAfterTheCrash) { std::printf("      still running after the crash\n"); }

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1) where = argv[1];
  if (std::strcmp(where, "unreported") == 0) *nowhere = 4;
  return check::RunAll();
}
