// Runs work on the thread that owns the windows, from any other thread, and
// waits for it: controls and the search state are only ever touched there.
#pragma once
#include <windows.h>

#include <atomic>
#include <functional>

#include "platform/BaseWindow.h"
#include "platform/Handles.h"

class GuiThreadCaller : public BaseWindow<GuiThreadCaller> {
 public:
  // On the GUI thread: makes the hidden message window the calls go through.
  bool Create();
  // Any thread: runs `work` on the GUI thread (at once when already there) and
  // returns when it has run. False, without running it, once Destroy has run.
  bool Call(const std::function<void()>& work) const;
  void Destroy();

 private:
  friend class BaseWindow<GuiThreadCaller>;
  LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  OwnedWindow window_;
  // What other threads read: cleared before the window goes.
  std::atomic<HWND> target_{nullptr};
  std::atomic<DWORD> threadId_{0};
};

// On the GUI thread: serves other threads' sent messages (and nothing else)
// for up to `timeoutMs`, until `done` returns true.
void ServeSentMessagesUntil(const std::function<bool()>& done, DWORD timeoutMs);
