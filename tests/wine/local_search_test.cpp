// The local search against a real rich edit box: highlights, report, navigation,
// and what happens when a second search or a close arrives in its middle.
#include <windows.h>
#include <commctrl.h>
#include <richedit.h>

#include <cstdio>
#include <string>
#include <vector>

#include "answerbank/LocalSearch.h"
#include "answerbank/RichEditBox.h"
#include "answerbank/SearchReport.h"
#include "app/Globals.h"
#include "check.h"
#include "test_window.h"
#include "platform/Controls.h"
#include "platform/MessagePump.h"
#include "platform/Text.h"

namespace {

constexpr UINT kStartSearch = WM_APP + 1;
constexpr UINT kDestroyBox = WM_APP + 2;

std::wstring nestedSearchText;
bool outerSearchRunning = false;
bool nestedStartedInside = false;

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kStartSearch) {
    nestedStartedInside = outerSearchRunning;
    SetWindowTextW(GetDlgItem(window, 1), nestedSearchText.c_str());
    LocalSearch();
    return 0;
  }
  if (message == kDestroyBox) {
    DestroyWindow(reinterpret_cast<HWND>(lParam));
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

struct SearchWindow {
  HWND host = nullptr;
  HWND searchBox = nullptr;
  HWND answerBank = nullptr;
  HWND status = nullptr;

  SearchWindow() {
    static const HMODULE richEdit = LoadLibraryW(L"msftedit.dll");  // the rich edit class
    (void)richEdit;
    host = MakeTestWindow(L"SearchTestHost", 0, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 600, 400, nullptr, HostProc);
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
    GETTEXTLENGTHEX request{GTL_NUMCHARS | GTL_PRECISE, 1200};
    const long length = static_cast<long>(SendMessageW(answerBank, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&request), 0));
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
};

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

}  // namespace

CHECK_MAIN()
