#include "platform/ClipboardLoan.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <utility>

#include "platform/Handles.h"

namespace {

// The loans' turn and their window. The window's thread only serves its
// messages: whoever empties the clipboard next sends the owner a message and
// waits for it, which a busy GUI thread would make them do for seconds.
class Lender {
 public:
  // Never destroyed: a loan may still end while the program's statics go.
  static Lender& Instance() {
    static Lender* const lender = new Lender;
    return *lender;
  }

  HWND Window() const { return window_; }

  bool Lend(DWORD waitMs) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (!turn_.wait_for(lock, std::chrono::milliseconds(waitMs), [this] { return !lent_; })) return false;
    lent_ = true;
    return true;
  }

  void TakeBack() noexcept {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      lent_ = false;
    }
    turn_.notify_all();
  }

  bool WaitUntilFree(DWORD timeoutMs) {
    std::unique_lock<std::mutex> lock(mutex_);
    return turn_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return !lent_; });
  }

 private:
  Lender() {
    KernelHandle ready(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    readyEvent_ = ready.Get();
    thread_.Reset(CreateThread(nullptr, 0, &Lender::Serve, this, 0, &threadId_));
    if (thread_) WaitForSingleObject(ready.Get(), 5000);
    readyEvent_ = nullptr;
  }
  static DWORD WINAPI Serve(void* self) {
    auto* lender = static_cast<Lender*>(self);
    OwnedWindow window(CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr));
    lender->window_ = window.Get();
    SetEvent(lender->readyEvent_);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
    return 0;
  }

  std::mutex mutex_;
  std::condition_variable turn_;
  bool lent_ = false;
  HANDLE readyEvent_ = nullptr;
  HWND window_ = nullptr;
  DWORD threadId_ = 0;
  KernelHandle thread_;
};

}  // namespace

ClipboardLoan ClipboardLoan::Borrow(DWORD waitMs, const SnapshotLimits& limits) {
  ClipboardLoan loan;
  Lender& lender = Lender::Instance();
  if (!lender.Lend(waitMs)) {
    loan.refusal_ = Refusal::kAnotherLoan;
    return loan;
  }
  loan.held_ = true;
  try {
    loan.saved_ = ClipboardSnapshot::Take(lender.Window(), limits);
  } catch (...) {
    loan.saved_ = ClipboardSnapshot();
  }
  if (!loan.saved_.Taken()) {
    loan.refusal_ = Refusal::kClipboardBusy;
  } else if (!loan.saved_.Complete()) {
    loan.refusal_ = Refusal::kIncomplete;
  }
  return loan;
}

ClipboardLoan::ClipboardLoan(ClipboardLoan&& other) noexcept { *this = std::move(other); }

ClipboardLoan& ClipboardLoan::operator=(ClipboardLoan&& other) noexcept {
  if (this != &other) {
    GiveBackQuietly();
    held_ = std::exchange(other.held_, false);
    refusal_ = other.refusal_;
    saved_ = std::move(other.saved_);
    ownCopyRead_ = other.ownCopyRead_;
    ownCopy_ = other.ownCopy_;
  }
  return *this;
}

ClipboardLoan::~ClipboardLoan() { GiveBackQuietly(); }

void ClipboardLoan::GiveBackQuietly() noexcept {
  try {
    GiveBack();
  } catch (...) {
    End();
  }
}

HWND ClipboardLoan::Owner() { return Lender::Instance().Window(); }

std::wstring ClipboardLoan::ReadOwnCopy() {
  if (!Usable()) return {};
  ClipboardOpening clipboard(Owner());
  if (!clipboard.IsOpen()) return {};
  ownCopyRead_ = true;
  ownCopy_ = GetClipboardSequenceNumber();
  return UnicodeTextOfOpenClipboard();
}

bool ClipboardLoan::HoldsOwnCopy() const {
  return Usable() && ownCopyRead_ && GetClipboardSequenceNumber() == ownCopy_;
}

std::wstring ClipboardLoan::ReadAndGiveBack() {
  if (!Usable()) {
    End();
    return {};
  }
  std::wstring text;
  bool opened = false;
  {
    ClipboardOpening clipboard(Owner());
    if (clipboard.IsOpen()) {
      opened = true;
      text = UnicodeTextOfOpenClipboard();
      if (NeedsPuttingBack()) saved_.PutBack();
    }
  }
  // Another program held the clipboard past the patience: nothing was read,
  // but the user's clipboard is tried once more.
  if (!opened) GiveBack();
  End();
  return text;
}

bool ClipboardLoan::NeedsPuttingBack() const {
  const DWORD now = GetClipboardSequenceNumber();
  if (now == saved_.Sequence()) return false;
  return !ownCopyRead_ || now == ownCopy_;
}

bool ClipboardLoan::GiveBack() {
  if (!held_) return true;
  bool placed = true;
  if (refusal_ == Refusal::kNone) {
    // Ended first, whatever the putting back throws.
    struct EndLoan {
      ClipboardLoan* loan;
      ~EndLoan() { loan->End(); }
    } end{this};
    ClipboardOpening clipboard(Owner());
    if (!clipboard.IsOpen()) return false;
    if (NeedsPuttingBack()) placed = saved_.PutBack();
    return placed;
  }
  End();
  return placed;
}

void ClipboardLoan::End() noexcept {
  if (!held_) return;
  held_ = false;
  saved_ = ClipboardSnapshot();
  Lender::Instance().TakeBack();
}

bool ClipboardLoan::WaitForAllGivenBack(DWORD timeoutMs) { return Lender::Instance().WaitUntilFree(timeoutMs); }
