// The clipboard: reading its text as GBK, and keeping a full copy of what the
// user had there so it can be put back format for format after the program
// borrowed it (a screen word capture, a document's import).
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// How long an opening keeps trying while another program holds the clipboard,
// and the pause between tries.
constexpr DWORD kClipboardPatienceMs = 1000;
constexpr DWORD kClipboardRetryMs = 15;

// The clipboard opened by this thread for the lifetime of the object. Other
// programs (office suites among them) often hold it open for a moment, so the
// opening is tried again until `patienceMs` has passed.
class ClipboardOpening {
 public:
  explicit ClipboardOpening(HWND owner, DWORD patienceMs = kClipboardPatienceMs);
  ~ClipboardOpening();
  ClipboardOpening(const ClipboardOpening&) = delete;
  ClipboardOpening& operator=(const ClipboardOpening&) = delete;

  bool IsOpen() const { return open_; }

 private:
  bool open_ = false;
};

// The clipboard's text as GBK (code page 936, whatever the system's code page),
// up to its first NUL; a character GBK cannot hold becomes '?', one for each
// UTF-16 unit, as in the rich edit boxes. Empty when there is no text or the
// clipboard could not be opened.
std::string ReadClipboardTextGbk(HWND owner);
// The clipboard's Unicode text up to its first NUL, as it is.
std::wstring ReadClipboardUnicode(HWND owner);
// The same, from a clipboard this thread has open.
std::wstring UnicodeTextOfOpenClipboard();

// What a snapshot keeps at most: a picture of hundreds of megabytes would take
// the program's memory with it. A format beyond either limit is left out.
struct SnapshotLimits {
  std::size_t formatBytes = std::size_t{64} << 20;
  std::size_t totalBytes = std::size_t{160} << 20;
};

// Everything the clipboard held that can be copied, kept in memory.
class ClipboardSnapshot {
 public:
  // Copies every format present. A snapshot whose clipboard could not be opened
  // records that, and its Restore changes nothing.
  static ClipboardSnapshot Take(HWND owner, const SnapshotLimits& limits = {});

  bool Taken() const { return taken_; }
  // Taken, and no format left out for its size: putting it back gives the
  // user everything that can be copied at all.
  bool Complete() const { return taken_ && tooLarge_.empty(); }
  // The saved formats, in the clipboard's own order.
  std::vector<UINT> Formats() const;
  // Formats that were present but could not be copied.
  const std::vector<UINT>& Skipped() const { return skipped_; }
  // Formats left out because they were beyond the limits (or memory ran out).
  const std::vector<UINT>& TooLarge() const { return tooLarge_; }
  // The clipboard's sequence number when the snapshot was taken.
  DWORD Sequence() const { return sequence_; }

  // Empties the clipboard and puts every saved format back in its order. When
  // nothing has changed the clipboard since Take, it is left alone, so its
  // owner and any data it renders on request stay as they were. False when the
  // snapshot was not taken, the clipboard could not be opened, or a format
  // could not be placed.
  bool Restore(HWND owner) const;
  // On a clipboard this thread has open: empties it and puts every saved
  // format back, whatever it holds now.
  bool PutBack() const;

 private:
  struct Saved {
    UINT format;
    std::vector<std::uint8_t> bytes;
  };
  bool taken_ = false;
  DWORD sequence_ = 0;
  std::vector<Saved> saved_;
  std::vector<UINT> skipped_;
  std::vector<UINT> tooLarge_;
};
