// Screen word capture: a drag over text in any other program copies it with a
// simulated Ctrl+C and hands the text on; the user's clipboard is put back as
// it was. Which search answers the text is for the capture's owner to decide.
#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "platform/Handles.h"

struct CaptureCallbacks {
  // Asked on the GUI thread when the left button comes up after a drag:
  // whether to capture now.
  std::function<bool()> wanted;
  // Runs on the GUI thread with the copied text (GBK), when the copy changed
  // the clipboard and left text there.
  std::function<void(const std::string& text)> capturedText;
  // Runs on the GUI thread after a capture that copied text, once the clipboard
  // is back, unless another capture is waiting for its turn.
  std::function<void()> finished;
};

class ScreenCapture {
 public:
  // `owner` is the window the clipboard is opened with.
  ScreenCapture(HWND owner, CaptureCallbacks callbacks);
  // Removes the hook without waiting; a capture still running finishes on its
  // own and calls nothing back.
  ~ScreenCapture();
  ScreenCapture(const ScreenCapture&) = delete;
  ScreenCapture& operator=(const ScreenCapture&) = delete;

  // On the GUI thread: installs the system-wide mouse hook. One capture hooks
  // the mouse at a time.
  bool Start();
  // On the GUI thread: removes the hook and lets a capture still running finish
  // (its clipboard restore included), for three seconds at most.
  void Stop();

 private:
  // What the capture threads use; it lives as long as the last of them.
  struct Shared;

  static LRESULT CALLBACK HookProc(int code, WPARAM message, LPARAM info);
  static DWORD WINAPI CaptureThread(void* shared);
  void OnMouse(WPARAM message);
  void Unhook();

  std::shared_ptr<Shared> shared_;
  std::function<bool()> wanted_;
  WindowsHook hook_;
  POINT press_{};
  // Whether the last press landed where a drag selects text.
  bool pressOnText_ = false;
};
