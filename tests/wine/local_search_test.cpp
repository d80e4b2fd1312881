// The local search against a real rich edit box: highlights, report, navigation,
// and what happens when a second search or a close arrives in its middle.
#include <windows.h>
#include <commctrl.h>
#include <richedit.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "answerbank/RichEditBox.h"
#include "answerbank/StandardFormatting.h"
#include "answerbank/search/LocalSearch.h"
#include "answerbank/search/SearchReport.h"
#include "app/Globals.h"
#include "check.h"
#include "clipboard_support.h"
#include "platform/Clipboard.h"
#include "platform/Controls.h"
#include "platform/Handles.h"
#include "platform/MessagePump.h"
#include "platform/Text.h"
#include "test_window.h"

namespace {

constexpr UINT kStartSearch = WM_APP + 1;
constexpr UINT kDestroyBox = WM_APP + 2;
// A page switch: wParam 1 shows the answer bank (lParam), 0 hides it and shows
// the control of the other page instead.
constexpr UINT kSwitchPage = WM_APP + 3;

std::wstring nestedSearchText;
bool outerSearchRunning = false;
bool nestedStartedInside = false;
int switchesDuringSearch = 0;
HWND otherPageControl = nullptr;

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kStartSearch) {
    nestedStartedInside = outerSearchRunning;
    SetWindowTextW(GetDlgItem(window, 1), nestedSearchText.c_str());
    LocalSearch();
    return 0;
  }
  if (message == kSwitchPage) {
    if (outerSearchRunning) ++switchesDuringSearch;
    ShowControl(reinterpret_cast<HWND>(lParam), wParam != 0);
    ShowControl(otherPageControl, wParam == 0);
    return 0;
  }
  if (message == kDestroyBox) {
    DestroyWindow(reinterpret_cast<HWND>(lParam));
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

// The box's length in UTF-16 units, the positions of its text.
long Length(HWND box) {
  GETTEXTLENGTHEX request{GTL_NUMCHARS | GTL_PRECISE, 1200};
  return static_cast<long>(SendMessageW(box, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&request), 0));
}

struct SearchWindow {
  HWND host = nullptr;
  HWND searchBox = nullptr;
  HWND answerBank = nullptr;
  HWND status = nullptr;

  // Under Wine on a display without a window manager, hiding or destroying a
  // shown window takes seconds: tests that make many windows keep them hidden.
  explicit SearchWindow(bool shown = true) {
    static const HMODULE richEdit = LoadLibraryW(L"msftedit.dll");  // the rich edit class
    (void)richEdit;
    host = MakeTestWindow(L"SearchTestHost", 0, WS_OVERLAPPEDWINDOW | (shown ? WS_VISIBLE : 0), 0, 0, 600, 400, nullptr,
                          HostProc);
    searchBox = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE, 0, 0, 200, 20, host,
                                reinterpret_cast<HMENU>(1), nullptr, nullptr);
    answerBank = CreateWindowExW(0, MSFTEDIT_CLASS, L"", WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_WANTRETURN, 0, 30,
                                 500, 300, host, nullptr, nullptr, nullptr);
    SendMessageW(answerBank, EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
    status = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 340, 500, 20, host, nullptr, nullptr,
                             nullptr);
    GlobalInit();
    SetLocalSearchControls({searchBox, answerBank, status});
  }
  ~SearchWindow() {
    if (IsWindow(host)) DestroyWindow(host);
    ExitCleanup();
  }

  // Sets the texts as UTF-16, as a user's paste would.
  void Fill(const std::wstring& bank, const std::wstring& question) {
    SendMessageW(answerBank, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(bank.c_str()));
    SendMessageW(searchBox, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(question.c_str()));
  }

  CHARFORMAT2W FormatAt(long position) {
    CHARRANGE one{position, position + 1};
    SendMessageW(answerBank, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&one));
    CHARFORMAT2W cf{};
    cf.cbSize = sizeof cf;
    SendMessageW(answerBank, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
    return cf;
  }

  // The positions coloured red, one letter per character: 'r' red, '.' black.
  std::string RedMap() {
    const CHARRANGE saved = RichEditBox(answerBank).Selection();
    const long length = Length(answerBank);
    std::string map;
    for (long i = 0; i < length; ++i) {
      const CHARFORMAT2W cf = FormatAt(i);
      const bool red = !(cf.dwEffects & CFE_AUTOCOLOR) && cf.crTextColor == RGB(255, 0, 0);
      const bool black = !(cf.dwEffects & CFE_AUTOCOLOR) && cf.crTextColor == 0;
      map += red ? 'r' : black ? '.' : '?';
    }
    SendMessageW(answerBank, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&saved));
    return map;
  }

  std::pair<long, long> Selection() {
    const CHARRANGE range = RichEditBox(answerBank).Selection();
    return {range.cpMin, range.cpMax};
  }

  std::string Status() { return GetWindowTextGbk(status); }

  // Per position: 'r' in the highlight format, '.' in the standard format (宋体 9
  // black, no effects), '?' in any other.
  std::string FormatMap() {
    TextFormat standard = DefaultTextFormat();
    standard.colour = 0;
    TextFormat highlight = DefaultTextFormat();
    highlight.colour = 0x0000FF;
    RichEditBox box(answerBank);
    const CHARRANGE saved = box.Selection();
    const long length = Length(answerBank);
    std::string map;
    for (long i = 0; i < length; ++i) {
      box.Select(i, 1);
      map += box.SelectionHasFormat(highlight) ? 'r' : box.SelectionHasFormat(standard) ? '.' : '?';
    }
    SendMessageW(answerBank, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&saved));
    return map;
  }

  void Search(const std::wstring& question) {
    SendMessageW(searchBox, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(question.c_str()));
    LocalSearch();
  }
};

// Watches the format requests a search sends the answer bank: how many, and
// whether one of them, or a format query, covered the whole text (which only
// the path that may reset the whole text does).
class FormatRequestSpy {
 public:
  explicit FormatRequestSpy(HWND box) : box_(box) { SetWindowSubclass(box, Proc, 1, reinterpret_cast<DWORD_PTR>(this)); }
  ~FormatRequestSpy() { RemoveWindowSubclass(box_, Proc, 1); }
  FormatRequestSpy(const FormatRequestSpy&) = delete;
  FormatRequestSpy& operator=(const FormatRequestSpy&) = delete;

  void Reset() { requests = 0, wholeTextRequests = 0, wholeTextQueries = 0; }

  int requests = 0;
  int wholeTextRequests = 0;
  int wholeTextQueries = 0;

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
    auto* spy = reinterpret_cast<FormatRequestSpy*>(data);
    if (message == EM_SETCHARFORMAT || message == EM_GETCHARFORMAT) {
      const CHARRANGE selection = RichEditBox(window).Selection();
      const long length = Length(window);
      const bool whole = length > 1 && selection.cpMin == 0 && selection.cpMax >= length;
      if (message == EM_SETCHARFORMAT) {
        ++spy->requests;
        spy->wholeTextRequests += whole;
      } else {
        spy->wholeTextQueries += whole;
      }
    }
    return DefSubclassProc(window, message, wParam, lParam);
  }

  HWND box_;
};

// The red map after a search that found `ranges` in a text of `length` positions.
std::string ExpectedRedMap(long length, const std::vector<std::pair<long, long>>& ranges) {
  std::string map(static_cast<size_t>(length), '.');
  for (const auto& range : ranges) map.replace(static_cast<size_t>(range.first), range.second, range.second, 'r');
  return map;
}

TEST(SearchColoursEveryOccurrenceAndReportsTheCount) {
  SearchWindow w;
  w.Fill(L"甲乙答案丙答案", L"答案");
  LocalSearch();
  CHECK_EQ(w.Status(), SearchReport(2));
  CHECK_EQ(w.RedMap(), std::string("..rr.rr"));
  const CHARFORMAT2W cf = w.FormatAt(0);
  CHECK_EQ(std::wstring(cf.szFaceName), std::wstring(L"宋体"));
  CHECK_EQ(static_cast<long>(cf.yHeight), 180L);
}

TEST(CaretStaysAtTheLastOccurrenceWithNothingSelected) {
  SearchWindow w;
  w.Fill(L"甲乙答案丙答案", L"答案");
  LocalSearch();
  CHECK_EQ(w.Selection(), (std::pair<long, long>{5, 5}));
}

TEST(NextAndPreviousStepThroughTheOccurrences) {
  SearchWindow w;
  w.Fill(L"甲乙答案丙答案", L"答案");
  LocalSearch();
  NextOccurrence();
  CHECK_EQ(w.Selection(), (std::pair<long, long>{2, 4}));
  NextOccurrence();
  CHECK_EQ(w.Selection(), (std::pair<long, long>{5, 7}));
  NextOccurrence();
  CHECK_EQ(w.Selection(), (std::pair<long, long>{5, 7}));
  PreviousOccurrence();
  CHECK_EQ(w.Selection(), (std::pair<long, long>{2, 4}));
}

TEST(NavigationWithNothingFoundChangesNothing) {
  SearchWindow w;
  w.Fill(L"abcdef", L"xyz");
  RichEditBox(w.answerBank).Select(1, 2);
  NextOccurrence();  // before any search
  CHECK_EQ(w.Selection(), (std::pair<long, long>{1, 3}));
  LocalSearch();
  CHECK_EQ(w.Status(), SearchReport(0));
  RichEditBox(w.answerBank).Select(3, 1);
  NextOccurrence();
  PreviousOccurrence();
  CHECK_EQ(w.Selection(), (std::pair<long, long>{3, 4}));
}

TEST(AfterTheBankIsReplacedNextAndPreviousWaitForANewSearch) {
  SearchWindow w;
  w.Fill(L"甲乙答案丙答案", L"答案");
  LocalSearch();
  NextOccurrence();
  CHECK_EQ(w.Selection(), (std::pair<long, long>{2, 4}));
  // A dropped document replaces the text: the old hits are places in a text that is gone.
  AnswerBankReplaced();
  SendMessageW(w.answerBank, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"新的文档，答案在后面：答案"));
  RichEditBox(w.answerBank).Select(1, 1);
  NextOccurrence();
  CHECK_EQ(w.Selection(), (std::pair<long, long>{1, 2}));
  PreviousOccurrence();
  CHECK_EQ(w.Selection(), (std::pair<long, long>{1, 2}));
  // The next search finds its own.
  LocalSearch();
  CHECK_EQ(w.Status(), SearchReport(2));
  NextOccurrence();
  CHECK_EQ(w.Selection(), (std::pair<long, long>{5, 7}));
}

TEST(ANewSearchClearsTheOldHighlights) {
  SearchWindow w;
  w.Fill(L"abcabc", L"abc");
  LocalSearch();
  CHECK_EQ(w.RedMap(), std::string("rrrrrr"));
  SendMessageW(w.searchBox, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"c"));
  LocalSearch();
  CHECK_EQ(w.RedMap(), std::string("..r..r"));
  SendMessageW(w.searchBox, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
  LocalSearch();
  CHECK_EQ(w.RedMap(), std::string("......"));
  CHECK_EQ(w.Status(), SearchReport(0));
}

TEST(LineBreaksAndCharactersOutsideGbkDoNotShiftHighlights) {
  SearchWindow w;
  // U+1F600 takes two UTF-16 units; U+0E01 is a Thai letter GBK cannot hold.
  w.Fill(L"\U0001F600一\r\n答案\x0E01x答案\r\n\r\n答案", L"答案");
  LocalSearch();
  CHECK_EQ(w.Status(), SearchReport(3));
  CHECK_EQ(w.RedMap(), std::string("....rr..rr..rr"));
  NextOccurrence();
  NextOccurrence();
  CHECK_EQ(w.Selection(), (std::pair<long, long>{8, 10}));
}

TEST(BoxContentKeepsOneByteForEveryUnitGbkCannotHold) {
  SearchWindow w;
  w.Fill(L"a\U0001F600b\x0E01\r\nc答", L"");
  CHECK_EQ(RichEditBox(w.answerBank).Content(), std::string("a??b?\r\nc答"));
}

TEST(ASearchStartedInTheMiddleOfAnotherWins) {
  SearchWindow w;
  std::wstring bank;
  for (int i = 0; i < 600; ++i) bank += L"答案abc";
  w.Fill(bank, L"答案");
  // The posted message searches "b"; the first search processes messages as
  // it works through its 600 highlights, so the second one usually starts in
  // its middle. Pumping afterwards covers a machine fast enough to finish first.
  nestedSearchText = L"b";
  outerSearchRunning = true;
  PostMessageW(w.host, kStartSearch, 0, 0);
  LocalSearch();
  outerSearchRunning = false;
  PumpPendingMessages();
  std::printf("  (second search started %s the first)\n", nestedStartedInside ? "inside" : "after");
  CHECK_EQ(w.Status(), SearchReport(600));
  const std::string map = w.RedMap();
  CHECK_EQ(map.size(), static_cast<size_t>(3000));
  CHECK_EQ(map.substr(0, 10), std::string("...r....r."));
  CHECK_EQ(map.substr(2990), std::string("...r....r."));
  CHECK(map.find("rr") == std::string::npos);  // no red left from "答案"
}

bool HasVisibleStyle(HWND window) { return (GetWindowLongPtrW(window, GWL_STYLE) & WS_VISIBLE) != 0; }

TEST(PagesSwitchedDuringALongSearchShowOnlyTheCurrentPage) {
  SearchWindow w;
  // A check box of the settings page, hidden while the bank's page shows.
  otherPageControl = CreateWindowExW(0, L"BUTTON", L"划屏取词", WS_CHILD | BS_AUTOCHECKBOX, 0, 30, 200, 20, w.host,
                                     nullptr, nullptr, nullptr);
  std::wstring bank;
  for (int i = 0; i < 600; ++i) bank += L"答案abc";
  w.Fill(bank, L"答案");
  const LPARAM box = reinterpret_cast<LPARAM>(w.answerBank);
  // Each sequence of switches is handled at the search's first pause for messages.
  const struct {
    std::vector<WPARAM> switches;
    bool bankShownAfter;
  } sequences[] = {{{0}, false}, {{1}, true}, {{0, 1}, true}, {{0, 1, 0}, false}, {{}, false}};
  for (const auto& sequence : sequences) {
    for (const WPARAM show : sequence.switches) PostMessageW(w.host, kSwitchPage, show, box);
    switchesDuringSearch = 0;
    outerSearchRunning = true;
    LocalSearch();
    outerSearchRunning = false;
    REQUIRE_EQ(switchesDuringSearch, static_cast<int>(sequence.switches.size()));
    CHECK_EQ(w.Status(), SearchReport(600));
    CHECK_EQ(HasVisibleStyle(w.answerBank), sequence.bankShownAfter);
    CHECK_EQ(HasVisibleStyle(otherPageControl), !sequence.bankShownAfter);
  }
  DestroyWindow(otherPageControl);
  otherPageControl = nullptr;
}

TEST(DestroyingTheBoxInTheMiddleOfASearchEndsIt) {
  SearchWindow w;
  std::wstring bank;
  for (int i = 0; i < 3000; ++i) bank += L"答案abc";
  w.Fill(bank, L"答案");
  PostMessageW(w.host, kDestroyBox, 0, reinterpret_cast<LPARAM>(w.answerBank));
  LocalSearch();
  CHECK(!IsWindow(w.answerBank));
  CHECK(w.Status() != SearchReport(3000));
  NextOccurrence();  // the box is gone: nothing to touch
  LocalSearch();
}

TEST(QuestionsThatDifferInSpacingWidthCaseOrPunctuationAreFound) {
  SearchWindow w;
  // Positions: 一 0 … ： 2, 下 3, 列 4, CR LF 5, 选 6 … （ 14, Ａ 15, ） 16, CR LF 17, 又 18, 下 19 … ) 31.
  w.Fill(L"一题：下列\r\n选项中，正确的是（Ａ）\r\n又下列选项中,正确的是(a)", L"下列 选项中,正确的是(A)");
  LocalSearch();
  CHECK_EQ(w.Status(), FoldedSearchReport(2));
  CHECK_EQ(w.FormatMap(), ExpectedRedMap(32, {{3, 14}, {19, 13}}));
  CHECK_EQ(w.Selection(), (std::pair<long, long>{19, 19}));
  NextOccurrence();
  CHECK_EQ(w.Selection(), (std::pair<long, long>{3, 17}));
  // The hits are selected as found: the search text no longer says where they end.
  SendMessageW(w.searchBox, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"下列"));
  NextOccurrence();
  CHECK_EQ(w.Selection(), (std::pair<long, long>{19, 32}));
  NextOccurrence();
  CHECK_EQ(w.Selection(), (std::pair<long, long>{19, 32}));
  PreviousOccurrence();
  CHECK_EQ(w.Selection(), (std::pair<long, long>{3, 17}));

  // Exact occurrences still follow the search text as it reads at the click.
  w.Search(L"选项");
  CHECK_EQ(w.Status(), SearchReport(2));
  SendMessageW(w.searchBox, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"选项中"));
  NextOccurrence();
  CHECK_EQ(w.Selection(), (std::pair<long, long>{6, 9}));
}

TEST(TheClosestPassageIsColouredAndReportedWithItsSimilarity) {
  SearchWindow w;
  // 己 changed to 巳, 壬 left out: 2 edits in 11 characters.
  w.Fill(L"题目\r\n甲乙丙丁戊己庚辛壬癸子丑\r\n答案", L"甲乙丙丁戊巳庚辛癸子丑");
  LocalSearch();
  CHECK_EQ(w.Status(), ClosestSearchReport(81, 1));
  CHECK_EQ(w.FormatMap(), ExpectedRedMap(18, {{3, 12}}));
  NextOccurrence();
  CHECK_EQ(w.Selection(), (std::pair<long, long>{3, 15}));

  w.Search(L"完全无关的一句话");
  CHECK_EQ(w.Status(), SearchReport(0));
  CHECK_EQ(w.FormatMap(), std::string(18, '.'));
}

// The bank of the tests below and its search texts: 答案 at 0, 3, 8; 乙丙 at 5.
const wchar_t kBank[] = L"答案甲答案乙丙\r\n答案丁";
constexpr long kBankLength = 11;
const std::string kAnswers = ExpectedRedMap(kBankLength, {{0, 2}, {3, 2}, {8, 2}});
const std::string kYiBing = ExpectedRedMap(kBankLength, {{5, 2}});

TEST(OnAnUnchangedBankASearchChangesOnlyWhatDiffers) {
  SearchWindow w;
  w.Fill(kBank, L"答案");
  FormatRequestSpy spy(w.answerBank);
  LocalSearch();
  CHECK_EQ(w.FormatMap(), kAnswers);
  CHECK_EQ(spy.wholeTextQueries, 1);
  CHECK_EQ(spy.wholeTextRequests, 1);  // the pasted text was not in the standard format

  spy.Reset();
  LocalSearch();
  CHECK_EQ(spy.requests, 0);
  CHECK_EQ(spy.wholeTextQueries, 0);
  CHECK_EQ(w.FormatMap(), kAnswers);
  CHECK_EQ(w.Status(), SearchReport(3));
  CHECK_EQ(w.Selection(), (std::pair<long, long>{8, 8}));
  NextOccurrence();
  NextOccurrence();
  CHECK_EQ(w.Selection(), (std::pair<long, long>{3, 5}));

  // Three old highlights back to the standard format, one new one.
  spy.Reset();
  w.Search(L"乙丙");
  CHECK_EQ(spy.requests, 4);
  CHECK_EQ(spy.wholeTextQueries + spy.wholeTextRequests, 0);
  CHECK_EQ(w.FormatMap(), kYiBing);

  // A text in the standard format throughout is not reset.
  FormatWholeBox(w.answerBank);
  spy.Reset();
  w.Search(L"答案");
  CHECK_EQ(spy.wholeTextQueries, 1);
  CHECK_EQ(spy.wholeTextRequests, 0);
  CHECK_EQ(spy.requests, 3);
  CHECK_EQ(w.FormatMap(), kAnswers);
}

// Ctrl + `key` as the box gets it from the keyboard; `unseen` hands it to the
// box's own window procedure, past every subclass, as a way of changing the box
// that the search cannot watch would.
void PressWithControl(HWND box, UINT key, bool unseen = false) {
  BYTE keys[256];
  GetKeyboardState(keys);
  keys[VK_CONTROL] = 0x80;
  SetKeyboardState(keys);
  if (unseen) {
    CallWindowProcW(reinterpret_cast<WNDPROC>(GetClassLongPtrW(box, GCLP_WNDPROC)), box, WM_KEYDOWN, key, 1);
  } else {
    SendMessageW(box, WM_KEYDOWN, key, 1);
  }
  keys[VK_CONTROL] = 0;
  SetKeyboardState(keys);
}

void PutRichText(HWND owner, const char* rtf) {
  ClipboardOpening clipboard(owner);
  REQUIRE(clipboard.IsOpen() && EmptyClipboard());
  REQUIRE(PutClipboardBytes(RegisterClipboardFormatW(L"Rich Text Format"), rtf, std::strlen(rtf) + 1));
}

void ApplyGreen(HWND box, long start, long length) {
  TextFormat green = DefaultTextFormat();
  green.colour = 0x008000;
  RichEditBox(box).Select(start, length);
  RichEditBox(box).ApplyFormatToSelection(green);
}

struct BankChange {
  const char* name;
  std::function<void(SearchWindow&)> change;
  const wchar_t* question;  // searched after the change
  std::string expected;     // the format map after that search
  bool resetExpected;       // whether that search had to look at the whole text
};

// After two searches (the second one with nothing to reset), a change of one
// kind, then a third search: every change to the box, through its own editing
// or through a request from code, brings the whole-text reset back, and every
// outcome is the one a whole reset gives.
TEST(EveryChangeToTheBankBringsTheWholeResetBack) {
  const std::string empty(kBankLength, '.');
  const std::vector<BankChange> changes = {
      {"nothing but selecting, clicking and scrolling",
       [](SearchWindow& w) {
         RichEditBox(w.answerBank).Select(1, 4);
         SendMessageW(w.answerBank, WM_LBUTTONDOWN, 0, MAKELPARAM(5, 5));
         SendMessageW(w.answerBank, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
         SendMessageW(w.answerBank, WM_VSCROLL, SB_LINEDOWN, 0);
       },
       L"答案", kAnswers, false},
      // 乙x丙: the typed letter takes the red of the 乙 before it, and 乙丙 is gone.
      {"typing",
       [](SearchWindow& w) {
         RichEditBox(w.answerBank).Select(6, 0);
         SendMessageW(w.answerBank, WM_CHAR, 'x', 1);
       },
       L"乙丙", std::string(kBankLength + 1, '.'), true},
      // The same text, in green: only its format changes. Past the watch, as a
      // drop of text from another program would come: only the modify flag tells.
      {"paste",
       [](SearchWindow& w) {
         PutRichText(w.host, "{\\rtf1\\ansi{\\colortbl;\\red0\\green128\\blue0;}\\cf1 \\u31572?\\u26696?}");
         RichEditBox(w.answerBank).Select(3, 2);
         PressWithControl(w.answerBank, 'V', true);
       },
       L"乙丙", kYiBing, true},
      // Takes back the red of the last new highlight.
      {"undo", [](SearchWindow& w) { PressWithControl(w.answerBank, 'Z'); }, L"乙丙", kYiBing, true},
      // Bold where the box has that shortcut (some versions do, Wine's does not).
      {"a format shortcut", [](SearchWindow& w) { PressWithControl(w.answerBank, 'B'); }, L"乙丙", kYiBing, true},
      {"undo by a way the search cannot watch", [](SearchWindow& w) { PressWithControl(w.answerBank, 'Z', true); },
       L"乙丙", kYiBing, true},
      // The document import: the same text put in again, then formatted.
      {"a dropped document's text",
       [](SearchWindow& w) {
         RichEditBox(w.answerBank).SetContentInPieces(WideToGbk(kBank), [] { return true; });
         FormatWholeBox(w.answerBank);
       },
       L"乙丙", kYiBing, true},
      {"格式化", [](SearchWindow& w) { FormatWholeBox(w.answerBank); }, L"乙丙", kYiBing, true},
      {"the same text set again",
       [](SearchWindow& w) { SendMessageW(w.answerBank, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(kBank)); },
       L"乙丙", kYiBing, true},
      {"a new font",
       [](SearchWindow& w) {
         SendMessageW(w.answerBank, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(ANSI_VAR_FONT)), TRUE);
       },
       L"乙丙", kYiBing, true},
  };
  for (const BankChange& change : changes) {
    std::printf("  change: %s\n", change.name);
    SearchWindow w(false);
    w.Fill(kBank, L"答案");
    LocalSearch();
    FormatRequestSpy spy(w.answerBank);
    w.Search(L"乙丙");
    CHECK_EQ(spy.wholeTextQueries, 0);
    change.change(w);
    spy.Reset();
    w.Search(change.question);
    CHECK_EQ(spy.wholeTextQueries == 1, change.resetExpected);
    CHECK_EQ(w.FormatMap(), change.expected);
  }
}

// Redo brings back what an undo took away; no search in between may take the
// box as unchanged then, even one that found nothing to change. Undo and redo
// come here by a way the search cannot watch: only the redo stack tells.
TEST(RedoAfterASearchBringsTheWholeResetBack) {
  SearchWindow w;
  w.Fill(kBank, L"戊");
  FormatWholeBox(w.answerBank);
  ApplyGreen(w.answerBank, 6, 1);
  PressWithControl(w.answerBank, 'Z', true);
  LocalSearch();
  CHECK_EQ(w.FormatMap(), std::string(kBankLength, '.'));
  PressWithControl(w.answerBank, 'Y', true);
  CHECK_EQ(w.FormatMap()[6], '?');  // green again
  FormatRequestSpy spy(w.answerBank);
  LocalSearch();
  CHECK_EQ(spy.wholeTextRequests, 1);
  CHECK_EQ(w.FormatMap(), std::string(kBankLength, '.'));
}

TEST(StandardFormatAppliesFaceSizeAndAutomaticColour) {
  SearchWindow w;
  w.Fill(L"abc", L"");
  RichEditBox box(w.answerBank);
  box.Select(0, 3);
  TextFormat format = DefaultTextFormat();
  format.effects = 1 | 4;  // bold, underlined
  format.offset = 2;
  box.ApplyFormatToSelection(format);
  const CHARFORMAT2W cf = w.FormatAt(1);
  CHECK(cf.dwEffects & CFE_AUTOCOLOR);
  CHECK(cf.dwEffects & CFE_BOLD);
  CHECK(cf.dwEffects & CFE_UNDERLINE);
  CHECK(!(cf.dwEffects & CFE_ITALIC));
  CHECK_EQ(static_cast<long>(cf.yOffset), 40L);
  CHECK_EQ(std::wstring(cf.szFaceName), std::wstring(L"宋体"));
}

// The watch follows the box the search works on. A box it leaves keeps working,
// even one that got another procedure over the watch's meanwhile, and what
// happens to it no longer counts as a change of the bank.
TEST(TheWatchFollowsTheBankAndLeavesTheOldBoxWorking) {
  SearchWindow first(false);
  auto covering = std::make_unique<FormatRequestSpy>(first.answerBank);
  SearchWindow second(false);  // the search and the watch work on its box from here on
  second.Fill(kBank, L"答案");
  LocalSearch();
  first.Fill(L"甲乙丙", L"");
  CHECK(RichEditBox(first.answerBank).WideContent() == L"甲乙丙");
  covering.reset();
  SendMessageW(first.answerBank, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"丁"));
  CHECK(RichEditBox(first.answerBank).WideContent() == L"丁");
  FormatRequestSpy spy(second.answerBank);
  LocalSearch();
  CHECK_EQ(spy.wholeTextQueries, 0);
  CHECK_EQ(second.FormatMap(), kAnswers);
  DestroyWindow(first.host);
  SendMessageW(second.answerBank, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(kBank));
  LocalSearch();
  CHECK_EQ(spy.wholeTextQueries, 1);
  CHECK_EQ(second.FormatMap(), kAnswers);
}

// ---- The whole-text reset (answerbank/StandardFormatting.h) ----

TextFormat StandardFormat() {
  TextFormat standard = DefaultTextFormat();
  standard.colour = 0;
  return standard;
}

// Arial 14 bold green: a pasted text's own format.
const TextFormat kPasted{"Arial", 14, 0, 1, 0x008000};

void ApplyFormat(HWND box, long start, long length, const TextFormat& format) {
  RichEditBox(box).Select(start, length);
  RichEditBox(box).ApplyFormatToSelection(format);
}

// Whether every character from `start` up to `end` has `format`, each field of it.
bool RangeHas(HWND box, long start, long end, const TextFormat& format) {
  RichEditBox(box).Select(start, end - start);
  return RichEditBox(box).SelectionHasFormat(format);
}

// About 118,000 positions, more than two slices of the reset; 答案 only at the
// start of lines 0, 4,500 and 9,999.
std::wstring LongBank() {
  std::wstring bank;
  for (int i = 0; i < 10000; ++i) {
    bank += (i == 0 || i == 4500 || i == 9999 ? L"答案" : L"第题") + std::to_wstring(i) + L"：甲乙丙丁\r\n";
  }
  return bank;
}

TEST(TheWholeResetReachesEveryCharacterOfATextOfSeveralSlices) {
  SearchWindow w(false);
  w.Fill(LongBank(), L"");
  const long length = Length(w.answerBank);
  REQUIRE(length > 100000);
  ApplyFormat(w.answerBank, 0, length, kPasted);
  int pauses = 0;
  CHECK(ResetWholeText(w.answerBank, StandardFormat(), [&] { return ++pauses > 0; }));
  CHECK(pauses >= 3);  // after the query and after each slice
  CHECK_EQ(w.Selection(), (std::pair<long, long>{0, 0}));
  // One query over the whole text: no character is left in another format, nor
  // at the size that made its line the widest for a moment.
  CHECK(RangeHas(w.answerBank, 0, length, StandardFormat()));
  CHECK(RichEditBox(w.answerBank).WideContent() == LongBank());
}

TEST(AWholeResetStoppedBetweenSlicesLeavesNoCharacterWidened) {
  SearchWindow w(false);
  w.Fill(LongBank(), L"");
  const long length = Length(w.answerBank);
  ApplyFormat(w.answerBank, 0, length, kPasted);
  int pauses = 0;
  // Stops at the second pause: after the query, then after the first slice.
  CHECK(!ResetWholeText(w.answerBank, StandardFormat(), [&] { return ++pauses < 2; }));
  CHECK_EQ(pauses, 2);
  // Where the first slice ended: the longest standard start of the text.
  long low = 1;
  long high = length;
  while (low < high) {
    const long middle = (low + high + 1) / 2;
    if (RangeHas(w.answerBank, 0, middle, StandardFormat())) {
      low = middle;
    } else {
      high = middle - 1;
    }
  }
  const long firstEnd = low;
  CHECK(firstEnd > 1000 && firstEnd < length);
  // Every character either reset or as pasted: none kept the size that made its
  // line the widest for a moment.
  CHECK(RangeHas(w.answerBank, 0, firstEnd, StandardFormat()));
  CHECK(RangeHas(w.answerBank, firstEnd, length, kPasted));
}

TEST(OneRequestFormatsItsRangeAndNothingElseWhateverEndsIt) {
  struct Case {
    const wchar_t* text;
    long end;  // the range is [0, end)
  };
  // Ends in white space and line breaks; in a surrogate pair; white space only.
  const Case cases[] = {{L"甲乙\r\n丙丁 \x3000\r\n戊己", 8}, {L"ab\U0001F600cd", 4}, {L" \r\n\t\r\nxyz", 4}};
  for (const Case& c : cases) {
    SearchWindow w(false);
    w.Fill(c.text, L"");
    const long length = Length(w.answerBank);
    ApplyFormat(w.answerBank, 0, length, kPasted);
    FormatInOneRequest(w.answerBank, 0, c.end, StandardFormat());
    CHECK(RangeHas(w.answerBank, 0, c.end, StandardFormat()));
    CHECK(RangeHas(w.answerBank, c.end, length, kPasted));
    CHECK(RichEditBox(w.answerBank).WideContent() == c.text);
  }
}

TEST(TheFirstSearchOfABankOfSeveralSlicesLeavesOnlyItsHitsRed) {
  SearchWindow w(false);
  w.Fill(LongBank(), L"答案");
  const long length = Length(w.answerBank);
  ApplyFormat(w.answerBank, 0, length, kPasted);
  LocalSearch();
  CHECK_EQ(w.Status(), SearchReport(3));
  TextFormat red = StandardFormat();
  red.colour = 0x0000FF;
  long from = 0;
  for (int k = 1; k <= 3; ++k) {
    SelectOccurrence(k);
    const auto hit = w.Selection();
    CHECK_EQ(hit.second - hit.first, 2L);
    CHECK(RangeHas(w.answerBank, hit.first, hit.second, red));
    CHECK(from == hit.first || RangeHas(w.answerBank, from, hit.first, StandardFormat()));
    from = hit.second;
  }
  CHECK(RangeHas(w.answerBank, from, length, StandardFormat()));
}

// Counts the messages that ask the box about changes, and the format requests.
class WatchSpy {
 public:
  explicit WatchSpy(HWND box) : box_(box) { SetWindowSubclass(box, Proc, 2, reinterpret_cast<DWORD_PTR>(this)); }
  ~WatchSpy() { RemoveWindowSubclass(box_, Proc, 2); }
  WatchSpy(const WatchSpy&) = delete;
  WatchSpy& operator=(const WatchSpy&) = delete;

  int changeQuestions = 0;
  int formatRequests = 0;

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
    auto* spy = reinterpret_cast<WatchSpy*>(data);
    spy->changeQuestions += message == EM_GETMODIFY;
    spy->formatRequests += message == EM_SETCHARFORMAT;
    return DefSubclassProc(window, message, wParam, lParam);
  }

  HWND box_;
};

// Only processing messages can change the box meanwhile: between two highlights
// the search does not ask it (each question is a request as dear as a good part
// of a highlight). It asks once each time it processes messages, every 30 ms,
// far less often than a highlight takes.
TEST(ASearchAsksTheBoxAboutChangesOnlyWhenItProcessesMessages) {
  SearchWindow w(false);
  std::wstring bank;
  for (int i = 0; i < 600; ++i) bank += L"答案abc\r\n";
  w.Fill(bank, L"答案");
  WatchSpy spy(w.answerBank);
  LocalSearch();
  CHECK_EQ(w.Status(), SearchReport(600));
  CHECK(spy.formatRequests >= 600);
  std::printf("  (%d questions about changes, %d format requests)\n", spy.changeQuestions, spy.formatRequests);
  CHECK(spy.changeQuestions >= 1);
  CHECK(spy.changeQuestions * 4 < spy.formatRequests);
}

}  // namespace

CHECK_MAIN()
