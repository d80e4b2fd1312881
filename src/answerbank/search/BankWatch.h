// Tells a search whether anything but the searches changed the answer bank
// since the last one: only then may it skip resetting the whole text.
//
// No single signal of the box covers every change, so several are combined:
// - the box's modify flag: its own editing sets it (typing, input methods,
//   paste, cut, drag and drop, format requests);
// - a count, kept by a subclass of the box, of the requests other code sends it
//   that can change its text or format (replacing the whole text clears the
//   modify flag; a new font changes the format without setting it), and of the
//   keyboard shortcuts that may change it (undo and redo do not set the flag
//   everywhere: not under Wine);
// - the redo stack, for an undo that came some other way: it leaves something
//   to redo, and a later redo of all of it brings back exactly the state before.
// The search compares the text as well.
#pragma once
#include <windows.h>

#include <functional>

// Starts watching `box` (the one watched before, if any, is let go). Counts as
// a change.
void WatchAnswerBank(HWND box);

// One search's dealings with the box: while it lives, the format requests it
// sends are its own and not counted, except while it processes messages.
class BankWatch {
 public:
  explicit BankWatch(HWND box);
  ~BankWatch();
  BankWatch(const BankWatch&) = delete;
  BankWatch& operator=(const BankWatch&) = delete;

  // Whether nothing changed the box since Settle returned `count`.
  bool UnchangedSince(unsigned long count) const;

  // Calls `pump` (which processes window messages), noting whether anything
  // changed the box meanwhile, and returns its answer.
  bool Pump(const std::function<bool()>& pump);
  // Whether something changed the box while this search processed messages.
  bool Disturbed() const { return disturbed_; }

  // Marks the box as it is now as unchanged; the count to pass to UnchangedSince.
  unsigned long Settle();

 private:
  bool ModifiedOrUndone() const;
  void ClearModified();

  HWND box_;
  bool wasOwn_;
  bool disturbed_ = false;
};
