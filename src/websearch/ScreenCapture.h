// Screen word capture: a drag over text in any other program copies it with a
// simulated Ctrl+C and hands the text on; the user's clipboard is put back as
// it was. Which search answers the text is for the capture's owner to decide.
#pragma once
#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>

#include "platform/Handles.h"

struct CaptureCallbacks {
  // Runs on the GUI thread with the copied text (GBK), when the copy changed
  // the clipboard and left text there; the user's clipboard is back by then.
  std::function<void(const std::string& text)> capturedText;
  // Runs on the GUI thread after a capture that copied text, unless another
  // capture is waiting for its turn.
  std::function<void()> finished;
};

class ScreenCapture {
 public:
  explicit ScreenCapture(CaptureCallbacks callbacks);
  // Removes the hook without waiting for a capture still running, which
  // finishes on its own (its clipboard restore included) and calls nothing back.
  ~ScreenCapture();
  ScreenCapture(const ScreenCapture&) = delete;
  ScreenCapture& operator=(const ScreenCapture&) = delete;

  // Any thread: whether a drag that ends now starts a capture. The hook reads
  // it at the release, never asking the GUI thread, which may be busy.
  void SetWanted(bool wanted) { wanted_ = wanted; }

  // On the GUI thread: installs the system-wide mouse hook on a thread of its
  // own. One capture hooks the mouse at a time.
  bool Start();
  // On the GUI thread: removes the hook, lets no waiting capture start, and
  // lets one still running put the clipboard back, for three seconds at most.
  void Stop();

 private:
  // What the capture threads use; it lives as long as the last of them.
  struct Shared;

  static DWORD WINAPI HookThread(void* self);
  static LRESULT CALLBACK HookProc(int code, WPARAM message, LPARAM info);
  static DWORD WINAPI CaptureThread(void* shared);
  void OnPress(POINT at);
  void OnRelease(POINT at);
  void StopHookThread();

  std::shared_ptr<Shared> shared_;
  std::atomic<bool> wanted_{false};
  KernelHandle hookThread_;
  DWORD hookThreadId_ = 0;
  bool hooked_ = false;
  // Only the hook thread touches these.
  POINT press_{};
  // Whether the last press landed where a drag selects text.
  bool pressOnText_ = false;
};
