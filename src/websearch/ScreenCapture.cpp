#include "websearch/ScreenCapture.h"

#include <atomic>
#include <mutex>

#include "platform/Clipboard.h"
#include "platform/GuiThreadCall.h"
#include "websearch/CaptureTarget.h"

namespace {

constexpr DWORD kBeforeSavingMs = 100;
constexpr DWORD kAfterCopyMs = 100;
constexpr WORD kControlKey = 17;
constexpr WORD kCopyLetterKey = 67;
// Stopping waits this long at most for a capture to put the clipboard back.
constexpr DWORD kStopWaitMs = 3000;

// The capture whose hook is installed: a low-level hook carries no context.
ScreenCapture* hooked = nullptr;

void SimulateCopyKeys() {
  INPUT keys[4]{};
  const WORD order[4] = {kControlKey, kCopyLetterKey, kControlKey, kCopyLetterKey};
  for (int i = 0; i < 4; ++i) {
    keys[i].type = INPUT_KEYBOARD;
    keys[i].ki.wVk = order[i];
    keys[i].ki.dwFlags = i < 2 ? 0 : KEYEVENTF_KEYUP;
  }
  SendInput(4, keys, sizeof(INPUT));
}

}  // namespace

struct ScreenCapture::Shared {
  HWND owner;
  std::function<void(const std::string&)> capturedText;
  std::function<void()> finished;
  GuiThreadCaller gui;
  // One capture at a time: a second one started meanwhile would save the first
  // one's copied text as "the user's clipboard" and put that back.
  std::mutex turn;
  // Captures started and not yet finished, the one running and those waiting.
  std::atomic<int> running{0};

  // The owner the clipboard is opened with; none once the window has gone.
  HWND ClipboardOwner() const { return IsWindow(owner) ? owner : nullptr; }

  // On a capture thread.
  void Capture() {
    std::lock_guard<std::mutex> myTurn(turn);
    Sleep(kBeforeSavingMs);

    const ClipboardSnapshot saved = ClipboardSnapshot::Take(ClipboardOwner());
    // Copying over a clipboard that could not be saved would lose it for good.
    if (!saved.Taken()) return;

    const DWORD clipboardBefore = GetClipboardSequenceNumber();
    SimulateCopyKeys();
    Sleep(kAfterCopyMs);

    // Only a copy that changed the clipboard counts: text that was there
    // before is the user's own, perhaps private, and is never searched.
    const bool copied = GetClipboardSequenceNumber() != clipboardBefore;
    const std::string text = copied ? ReadClipboardTextGbk(ClipboardOwner()) : std::string();
    if (!text.empty() && capturedText) gui.Call([this, &text] { capturedText(text); });

    // Also when nothing was copied: the snapshot itself leaves an unchanged clipboard alone.
    saved.Restore(ClipboardOwner());

    // A capture waiting for its turn copies from the program the user dragged
    // in; raising this window now would send its copy keys here instead.
    const bool anotherWaiting = running.load() > 1;
    if (!text.empty() && !anotherWaiting && finished) gui.Call(finished);
  }
};

ScreenCapture::ScreenCapture(HWND owner, CaptureCallbacks callbacks)
    : shared_(std::make_shared<Shared>()), wanted_(std::move(callbacks.wanted)) {
  shared_->owner = owner;
  shared_->capturedText = std::move(callbacks.capturedText);
  shared_->finished = std::move(callbacks.finished);
}

ScreenCapture::~ScreenCapture() {
  Unhook();
  shared_->gui.Destroy();
}

bool ScreenCapture::Start() {
  shared_->gui.Create();
  hooked = this;
  hook_.Reset(SetWindowsHookExW(WH_MOUSE_LL, &ScreenCapture::HookProc, GetModuleHandleW(nullptr), 0));
  return static_cast<bool>(hook_);
}

void ScreenCapture::Stop() {
  Unhook();
  const std::shared_ptr<Shared> shared = shared_;
  ServeSentMessagesUntil([&shared] { return shared->running.load() == 0; }, kStopWaitMs);
  shared_->gui.Destroy();
}

void ScreenCapture::Unhook() {
  if (hooked == this) hooked = nullptr;
  hook_.Reset();
}

LRESULT CALLBACK ScreenCapture::HookProc(int code, WPARAM message, LPARAM info) {
  ScreenCapture* const self = hooked;
  if (self) self->OnMouse(message);
  return CallNextHookEx(self ? self->hook_.Get() : nullptr, code, message, info);
}

void ScreenCapture::OnMouse(WPARAM message) {
  if (message == WM_LBUTTONDOWN) {
    GetCursorPos(&press_);
    // Asked at the press: a drag by the title bar has moved the window by the
    // time the button comes up.
    pressOnText_ = PressMayStartCapture(press_);
  } else if (message == WM_LBUTTONUP) {
    POINT release{};
    GetCursorPos(&release);
    const bool moved = release.x != press_.x || release.y != press_.y;
    if (moved && pressOnText_ && wanted_ && wanted_()) {
      ++shared_->running;
      // The thread holds the shared part, so it may outlive this object.
      auto* ticket = new std::shared_ptr<Shared>(shared_);
      KernelHandle thread(CreateThread(nullptr, 0, &ScreenCapture::CaptureThread, ticket, 0, nullptr));
      if (!thread) {
        delete ticket;
        --shared_->running;
      }
    }
  }
}

DWORD WINAPI ScreenCapture::CaptureThread(void* ticket) {
  const std::unique_ptr<std::shared_ptr<Shared>> shared(static_cast<std::shared_ptr<Shared>*>(ticket));
  (*shared)->Capture();
  --(*shared)->running;
  return 0;
}
