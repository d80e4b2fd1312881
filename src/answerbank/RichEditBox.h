// A rich edit box as the answer bank and the notepad use it: GBK content,
// selection by character position, and the program's character format.
#pragma once
#include <windows.h>
#include <richedit.h>

#include <functional>
#include <string>

#include "answerbank/TextFormat.h"

class RichEditBox {
 public:
  explicit RichEditBox(HWND window = nullptr) : window_(window) {}
  HWND Window() const { return window_; }

  // The whole text as GBK, with CR LF line breaks, and with one '?' for every
  // UTF-16 unit GBK cannot hold, so byte counts stay in step with positions.
  std::string Content() const;
  // The whole text as the box holds it, in UTF-16 with CR LF line breaks.
  std::wstring WideContent() const;
  // Whether the content is the empty text, without reading it.
  bool IsEmpty() const;
  void SetContent(const std::string& gbk);
  // Like SetContent, but a long text goes in piece by piece, with `keepGoing`
  // called after each piece; it returns false to stop there. The box lays a
  // long text out for seconds, which one request would spend without a break.
  bool SetContentInPieces(const std::string& gbk, const std::function<bool()>& keepGoing);
  // The same for UTF-16 text, which keeps characters GBK lacks. A long text
  // already in the box is taken out piece by piece first, with `keepGoing`
  // called after each piece too (false stops there as well): the box can
  // spend a minute removing it in one request.
  bool SetContentInPieces(const std::wstring& text, const std::function<bool()>& keepGoing);

  // Selects `length` characters from the 0-based position `start`.
  void Select(long long start, long long length);
  CHARRANGE Selection() const;
  // Collapses the selection onto its start.
  void ClearSelectionLength();

  void ApplyFormatToSelection(const TextFormat& format);
  // Whether every character selected already has the format, each field of it.
  bool SelectionHasFormat(const TextFormat& format) const;
  void Focus();
  void Paste();

 private:
  HWND window_;
};
