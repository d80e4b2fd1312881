#include "websearch/ScreenCapture.h"

#include <mutex>

#include "platform/ClipboardLoan.h"
#include "platform/GuiThreadCall.h"
#include "platform/Text.h"
#include "websearch/CaptureTarget.h"

namespace {

constexpr DWORD kBeforeSavingMs = 100;
constexpr DWORD kAfterCopyMs = 100;
constexpr WORD kControlKey = 17;
constexpr WORD kCopyLetterKey = 67;
// Stopping waits this long at most for a capture to put the clipboard back.
constexpr DWORD kStopWaitMs = 3000;
// What the hook posts to its own thread, the point in wParam and lParam.
constexpr UINT kPressMessage = WM_APP + 1;
constexpr UINT kReleaseMessage = WM_APP + 2;

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

// What the hook thread is started with; it signals `ready` once the hook is in place.
struct HookLaunch {
  ScreenCapture* capture;
  HANDLE ready;
};

POINT PointOf(const MSG& message) {
  return POINT{static_cast<LONG>(message.wParam), static_cast<LONG>(message.lParam)};
}

}  // namespace

struct ScreenCapture::Shared {
  std::function<void(const std::string&)> capturedText;
  std::function<void()> finished;
  GuiThreadCaller gui;
  // One capture at a time: a second one started meanwhile would send its copy
  // keys while the first still reads.
  std::mutex turn;
  // Captures started and not yet finished, the one running and those waiting.
  std::atomic<int> running{0};
  // Set by Stop: captures that have not copied yet do nothing.
  std::atomic<bool> stopping{false};

  // On a capture thread.
  void Capture() {
    std::lock_guard<std::mutex> myTurn(turn);
    if (stopping) return;
    Sleep(kBeforeSavingMs);
    if (stopping) return;

    std::wstring copied;
    {
      // Waits for an import that borrows the clipboard as for another program
      // holding it; copying over a clipboard that could not be saved whole
      // would lose it for good.
      ClipboardLoan loan = ClipboardLoan::Borrow(kClipboardPatienceMs);
      if (!loan.Usable()) return;
      const DWORD clipboardBefore = GetClipboardSequenceNumber();
      SimulateCopyKeys();
      Sleep(kAfterCopyMs);
      // Only a copy that changed the clipboard counts: text that was there
      // before is the user's own, perhaps private, and is never searched.
      // The clipboard goes back as soon as the copy is read, before anything
      // is searched; without a copy the loan leaves it alone.
      if (GetClipboardSequenceNumber() != clipboardBefore) copied = loan.ReadAndGiveBack();
    }
    // The question becomes a search in the answer bank, whose GBK form turns
    // every unit GBK lacks into one '?': the same rule here lets such
    // characters match.
    const std::string text = BoxTextToGbk(copied);
    if (text.empty() || stopping) return;
    if (capturedText) gui.Call([this, &text] { capturedText(text); });

    // A capture waiting for its turn copies from the program the user dragged
    // in; raising this window now would send its copy keys here instead.
    const bool anotherWaiting = running.load() > 1;
    if (!anotherWaiting && finished) gui.Call(finished);
  }
};

ScreenCapture::ScreenCapture(CaptureCallbacks callbacks) : shared_(std::make_shared<Shared>()) {
  shared_->capturedText = std::move(callbacks.capturedText);
  shared_->finished = std::move(callbacks.finished);
}

ScreenCapture::~ScreenCapture() {
  StopHookThread();
  shared_->gui.Destroy();
}

bool ScreenCapture::Start() {
  shared_->gui.Create();
  shared_->stopping = false;
  if (hookThread_) return hooked_;
  KernelHandle ready(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  HookLaunch launch{this, ready.Get()};
  hookThread_.Reset(CreateThread(nullptr, 0, &ScreenCapture::HookThread, &launch, 0, &hookThreadId_));
  if (!hookThread_) return false;
  const HANDLE waits[2] = {ready.Get(), hookThread_.Get()};
  WaitForMultipleObjects(2, waits, FALSE, 5000);
  return hooked_;
}

void ScreenCapture::Stop() {
  StopHookThread();
  shared_->stopping = true;
  const std::shared_ptr<Shared> shared = shared_;
  ServeSentMessagesUntil([&shared] { return shared->running.load() == 0; }, kStopWaitMs);
  shared_->gui.Destroy();
}

void ScreenCapture::StopHookThread() {
  if (!hookThread_) return;
  PostThreadMessageW(hookThreadId_, WM_QUIT, 0, 0);
  // The thread only ever waits for its messages.
  WaitForSingleObject(hookThread_.Get(), 5000);
  hookThread_.Reset();
  hooked_ = false;
}

DWORD WINAPI ScreenCapture::HookThread(void* launch) {
  const HookLaunch how = *static_cast<HookLaunch*>(launch);
  ScreenCapture* const self = how.capture;
  MSG message;
  PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);  // the queue, before anything is posted to it
  // A low-level hook is called on the thread that installed it, through that
  // thread's messages. Here nothing else ever keeps the thread busy, so the
  // system never times the hook out (and removes it for good, from
  // Windows 7 on) while the GUI thread is busy with a long search or import.
  WindowsHook hook(SetWindowsHookExW(WH_MOUSE_LL, &ScreenCapture::HookProc, GetModuleHandleW(nullptr), 0));
  self->hooked_ = static_cast<bool>(hook);
  SetEvent(how.ready);
  if (!hook) return 0;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    try {
      if (message.message == kPressMessage) self->OnPress(PointOf(message));
      if (message.message == kReleaseMessage) self->OnRelease(PointOf(message));
    } catch (...) {
      // Out of memory for one capture: the hook stays for the next.
    }
  }
  return 0;
}

LRESULT CALLBACK ScreenCapture::HookProc(int code, WPARAM message, LPARAM info) {
  // Only noted here; the work comes after the hook has answered.
  if (code == HC_ACTION && (message == WM_LBUTTONDOWN || message == WM_LBUTTONUP)) {
    const POINT at = reinterpret_cast<const MSLLHOOKSTRUCT*>(info)->pt;
    PostThreadMessageW(GetCurrentThreadId(), message == WM_LBUTTONDOWN ? kPressMessage : kReleaseMessage,
                       static_cast<WPARAM>(at.x), static_cast<LPARAM>(at.y));
  }
  return CallNextHookEx(nullptr, code, message, info);
}

void ScreenCapture::OnPress(POINT at) {
  press_ = at;
  // Asked at the press: a drag by the title bar has moved the window by the
  // time the button comes up.
  pressOnText_ = PressMayStartCapture(at);
}

void ScreenCapture::OnRelease(POINT at) {
  const bool moved = at.x != press_.x || at.y != press_.y;
  if (!moved || !pressOnText_ || !wanted_) return;
  ++shared_->running;
  // The thread holds the shared part, so it may outlive this object.
  auto* ticket = new std::shared_ptr<Shared>(shared_);
  KernelHandle thread(CreateThread(nullptr, 0, &ScreenCapture::CaptureThread, ticket, 0, nullptr));
  if (!thread) {
    delete ticket;
    --shared_->running;
  }
}

DWORD WINAPI ScreenCapture::CaptureThread(void* ticket) {
  const std::unique_ptr<std::shared_ptr<Shared>> shared(static_cast<std::shared_ptr<Shared>*>(ticket));
  try {
    (*shared)->Capture();
  } catch (...) {
    // Out of memory: the loan has put the clipboard back on its way out.
  }
  --(*shared)->running;
  return 0;
}
