// Running out of memory in a handler ends that handler, not the program. A
// handler runs inside a window procedure (or a callback) that the system
// called: an exception that leaves it through the system's frames ends the
// process, and the answer bank with it. No Windows header.
#pragma once
#include <new>
#include <stdexcept>
#include <utility>

// Runs `body`; true when it ran to its end. When it ran out of memory (the
// allocator failed, or a size beyond what a container can hold was asked
// for), calls `onNoMemory` instead and returns false. Other exceptions pass.
template <typename Body, typename OnNoMemory>
bool RunOrOnNoMemory(Body&& body, OnNoMemory&& onNoMemory) {
  try {
    std::forward<Body>(body)();
    return true;
  } catch (const std::bad_alloc&) {
  } catch (const std::length_error&) {
  }
  std::forward<OnNoMemory>(onNoMemory)();
  return false;
}

// Where a failure that no handler reported itself is told: the program shows
// it in a status line. The report must need no memory of its own.
void SetNoMemoryReport(void (*report)());
void ReportNoMemory();

// RunOrOnNoMemory with ReportNoMemory: the last stop of every window procedure.
template <typename Body>
bool RunReportingNoMemory(Body&& body) {
  return RunOrOnNoMemory(std::forward<Body>(body), ReportNoMemory);
}
