// Processing pending window messages from inside a long handler, so the window
// stays responsive, without letting the handler outlive the program.
#pragma once
#include <windows.h>

#include <functional>

// A filter the main loop and every nested pump run first; returning true means
// the message was consumed (an embedded control's accelerator, for example).
void SetMessageFilter(std::function<bool(MSG&)> filter);

// Translates and dispatches one message through the filter.
void DispatchWithFilter(MSG& message);

// Processes every message waiting now. Returns false once the program is
// closing: a WM_QUIT taken from the queue is posted again for the main loop.
bool PumpPendingMessages();

// True after a WM_QUIT has been seen by a nested pump.
bool QuitRequested();

// How often a long handler lets waiting messages through: often enough that
// clicks and repaints feel immediate, seldom enough that the pumping itself
// costs next to nothing.
constexpr unsigned kPumpIntervalMs = 30;

// Pumps only when at least `intervalMs` have passed since the last pump, so a
// tight loop can call Tick() often at little cost.
class ThrottledPump {
 public:
  explicit ThrottledPump(unsigned intervalMs = kPumpIntervalMs);
  // False once the program is closing; the caller should stop its work.
  bool Tick() { return Tick(PumpPendingMessages); }
  // The same with the caller's own way of processing messages: `pump`
  // returns false when the work has to stop. In between only the clock is read.
  template <typename Pump>
  bool Tick(Pump&& pump) {
    if (GetTickCount64() - lastPump_ < intervalMs_) return !QuitRequested();
    const bool goOn = pump();
    Restart();
    return goOn;
  }
  // Counts the interval from now, after messages were processed another way.
  void Restart() { lastPump_ = GetTickCount64(); }

 private:
  unsigned intervalMs_;
  unsigned long long lastPump_;
};
