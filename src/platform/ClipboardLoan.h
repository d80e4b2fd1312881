// Borrowing the user's clipboard: a screen word capture's copy keys and a
// document's copy in the word processor both put their own content there for
// a moment. A loan saves every format first and puts them back when it ends.
// One loan runs at a time in the program, so that no borrower ever saves
// another's copy as the user's; and every loan opens the clipboard with one
// window of its own, on a thread of its own that lives as long as the program,
// so that a loan can end whatever became of the program's other windows.
#pragma once
#include <windows.h>

#include <string>

#include "platform/Clipboard.h"

class ClipboardLoan {
 public:
  // Why a loan cannot be used.
  enum class Refusal {
    kNone,
    kAnotherLoan,    // another part of the program still borrows the clipboard
    kClipboardBusy,  // another program held it open past the patience
    kIncomplete,     // a format was too large to keep: putting back would lose it
  };

  // Waits up to `waitMs` for another loan of this program to end, then saves
  // the clipboard. The borrower may change the clipboard only when Usable().
  static ClipboardLoan Borrow(DWORD waitMs, const SnapshotLimits& limits = {});

  ClipboardLoan() = default;
  ClipboardLoan(ClipboardLoan&& other) noexcept;
  ClipboardLoan& operator=(ClipboardLoan&& other) noexcept;
  ClipboardLoan(const ClipboardLoan&) = delete;
  ClipboardLoan& operator=(const ClipboardLoan&) = delete;
  // Gives the clipboard back.
  ~ClipboardLoan();

  bool Usable() const { return held_ && refusal_ == Refusal::kNone; }
  Refusal Why() const { return refusal_; }
  // The window every loan opens the clipboard with.
  static HWND Owner();

  // Reads the clipboard's Unicode text and notes what it holds now as the
  // borrower's own copy.
  std::wstring ReadOwnCopy();
  // Whether the clipboard still holds the copy ReadOwnCopy read: nobody has
  // copied anything since.
  bool HoldsOwnCopy() const;
  // Reads the clipboard's Unicode text and puts the user's clipboard back in
  // the same opening, so that nothing can come between the two.
  std::wstring ReadAndGiveBack();
  // Puts the user's clipboard back and ends the loan. A clipboard that nothing
  // changed is left alone, and so is a copy someone made after the borrower's
  // own (read by ReadOwnCopy): that is the user's newer content. False when
  // the clipboard could not be opened or a format not placed.
  bool GiveBack();

  // Waits up to `timeoutMs` until no loan is held; false on time-out.
  static bool WaitForAllGivenBack(DWORD timeoutMs);

 private:
  // Whether the clipboard, open on this thread, holds something that the
  // user's content should replace.
  bool NeedsPuttingBack() const;
  void GiveBackQuietly() noexcept;
  void End() noexcept;

  bool held_ = false;
  Refusal refusal_ = Refusal::kNone;
  ClipboardSnapshot saved_;
  bool ownCopyRead_ = false;
  DWORD ownCopy_ = 0;
};
