#include "answerbank/RichEditBox.h"

#include <richedit.h>

#include <algorithm>
#include <cwchar>

#include "platform/Controls.h"
#include "platform/Text.h"
#include "platform/Utf16.h"

std::string RichEditBox::Content() const { return BoxTextToGbk(WideContent()); }

std::wstring RichEditBox::WideContent() const {
  GETTEXTLENGTHEX lengthRequest{GTL_USECRLF | GTL_NUMCHARS | GTL_PRECISE, 1200};
  const LRESULT units = SendMessageW(window_, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&lengthRequest), 0);
  if (units <= 0) return {};
  std::wstring text(static_cast<size_t>(units) + 1, L'\0');
  GETTEXTEX request{};
  request.cb = static_cast<DWORD>(text.size() * sizeof(wchar_t));
  request.flags = GT_USECRLF;
  request.codepage = 1200;  // UTF-16
  const LRESULT copied =
      SendMessageW(window_, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&request), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
  return text;
}

bool RichEditBox::IsEmpty() const {
  GETTEXTLENGTHEX lengthRequest{GTL_NUMCHARS | GTL_PRECISE, 1200};
  return SendMessageW(window_, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&lengthRequest), 0) <= 0;
}

void RichEditBox::SetContent(const std::string& gbk) {
  const std::wstring wide = GbkToWide(gbk);
  SendMessageW(window_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()));
}

namespace {

// UTF-16 units per piece: about 20 ms of layout each where the box is slow.
constexpr long kPieceUnits = 8192;

long TextLength(HWND window) {
  GETTEXTLENGTHEX request{GTL_NUMCHARS | GTL_PRECISE, 1200};
  return static_cast<long>(SendMessageW(window, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&request), 0));
}

void ReplaceRange(HWND window, long from, long to, const wchar_t* text) {
  CHARRANGE range{from, to};
  SendMessageW(window, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
  SendMessageW(window, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text));
}

}  // namespace

bool RichEditBox::SetContentInPieces(const std::string& gbk, const std::function<bool()>& keepGoing) {
  return SetContentInPieces(GbkToWide(gbk), keepGoing);
}

bool RichEditBox::SetContentInPieces(const std::wstring& wide, const std::function<bool()>& keepGoing) {
  // A repaint between pieces lays the long text out again each time: the box
  // goes on showing what it showed, and paints once at the end.
  RedrawSuspension quiet(window_);
  // From the end, so that nothing after a removed piece has to move. A stop
  // asked for meanwhile ends the fill here too: what asked for it (a newer
  // fill, run from `keepGoing`) may already have filled the box.
  for (long length = TextLength(window_); length > kPieceUnits;) {
    const long from = length - kPieceUnits;
    ReplaceRange(window_, from, length, L"");
    length = from;
    if (!keepGoing()) return false;
  }
  if (wide.size() <= static_cast<size_t>(kPieceUnits)) {
    SendMessageW(window_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()));
    return true;
  }
  SendMessageW(window_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
  for (size_t start = 0; start < wide.size();) {
    size_t end = std::min(wide.size(), start + static_cast<size_t>(kPieceUnits));
    // A piece never ends inside a CR LF pair (two line breaks would come of it)
    // or a surrogate pair.
    if (end < wide.size() && (wide[end] == L'\n' || IsLowSurrogate(wide[end]))) ++end;
    const std::wstring piece = wide.substr(start, end - start);
    ReplaceRange(window_, 0x7FFFFFFF, 0x7FFFFFFF, piece.c_str());
    start = end;
    if (start < wide.size() && !keepGoing()) return false;
  }
  return true;
}

void RichEditBox::Select(long long start, long long length) {
  CHARRANGE range{static_cast<LONG>(start), static_cast<LONG>(start + length)};
  SendMessageW(window_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
}

CHARRANGE RichEditBox::Selection() const {
  CHARRANGE range{};
  SendMessageW(window_, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
  return range;
}

void RichEditBox::ClearSelectionLength() {
  const CHARRANGE range = Selection();
  Select(range.cpMin, 0);
}

void RichEditBox::ApplyFormatToSelection(const TextFormat& format) {
  const CharFormatRequest request = MakeCharFormatRequest(format);
  CHARFORMAT2W cf{};
  cf.cbSize = sizeof cf;
  cf.dwMask = CFM_FACE | CFM_SIZE | CFM_OFFSET | CFM_COLOR | CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT |
              CFM_PROTECTED;
  const std::wstring face = GbkToWide(request.face);
  wcsncpy(cf.szFaceName, face.c_str(), LF_FACESIZE - 1);
  cf.yHeight = request.heightTwips;
  cf.yOffset = request.offsetTwips;
  cf.dwEffects = request.effects;
  if (request.autoColour) {
    cf.dwEffects |= CFE_AUTOCOLOR;
  } else {
    cf.crTextColor = request.colour;
  }
  SendMessageW(window_, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
}

bool RichEditBox::SelectionHasFormat(const TextFormat& format) const {
  const CharFormatRequest request = MakeCharFormatRequest(format);
  CHARFORMAT2W cf{};
  cf.cbSize = sizeof cf;
  SendMessageW(window_, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
  // A field that differs somewhere in the selection comes back unmarked.
  const DWORD all = CFM_FACE | CFM_SIZE | CFM_OFFSET | CFM_COLOR | CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE |
                    CFM_STRIKEOUT | CFM_PROTECTED;
  if ((cf.dwMask & all) != all) return false;
  const DWORD effects = CFE_BOLD | CFE_ITALIC | CFE_UNDERLINE | CFE_STRIKEOUT | CFE_PROTECTED;
  const bool autoColour = (cf.dwEffects & CFE_AUTOCOLOR) != 0;
  return GbkToWide(request.face) == cf.szFaceName && cf.yHeight == request.heightTwips &&
         cf.yOffset == request.offsetTwips && (cf.dwEffects & effects) == request.effects &&
         autoColour == request.autoColour && (autoColour || cf.crTextColor == request.colour);
}

void RichEditBox::Focus() { SetFocus(window_); }

void RichEditBox::Paste() { SendMessageW(window_, WM_PASTE, 0, 0); }
