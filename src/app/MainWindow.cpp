#include "app/MainWindow.h"

#include <commctrl.h>
#include <richedit.h>
#include <uxtheme.h>

#include <cstring>

#include "answerbank/import/DocumentImport.h"
#include "answerbank/notepad/Notepad.h"
#include "answerbank/search/LocalSearch.h"
#include "app/ControlNames.h"
#include "app/DropTarget.h"
#include "app/SearchRouting.h"
#include "app/WindowDescription.h"
#include "platform/Controls.h"
#include "platform/NoMemory.h"
#include "platform/Text.h"
#include "websearch/WebSearch.h"

namespace {

constexpr wchar_t kWindowClass[] = L"TavrelMainWindow";
constexpr wchar_t kShapeBoxClass[] = L"TavrelShapeBox";
constexpr int kIconId = 1;

bool SameName(const char* a, const char* b) { return std::strcmp(a, b) == 0; }

// The answer bank's status line: a handler that ran out of memory and did not
// say so itself (the search, a drop, a capture) is reported there.
HWND noMemoryStatus = nullptr;

void ShowNoMemory() {
  // A literal, set as it is: there may be no memory for anything else.
  if (noMemoryStatus) SetWindowTextW(noMemoryStatus, L"内存不足，刚才的操作没有完成");
}

GdiObject MakeFont(int characterHeight, int charset, const wchar_t* face) {
  return GdiObject(CreateFontW(-characterHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, static_cast<BYTE>(charset),
                               OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                               face));
}

}  // namespace

MainWindow& MainWindow::Instance() {
  static MainWindow window;
  return window;
}

bool MainWindow::Create(HINSTANCE instance, int showCommand) {
  const HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
  RegisterWindowClass(kShapeBoxClass, DefWindowProcW, {arrow, GetSysColorBrush(COLOR_WINDOW)});
  WindowClassLook look{arrow, GetSysColorBrush(COLOR_BTNFACE)};
  look.icon = LoadIconW(instance, MAKEINTRESOURCEW(kIconId));
  look.smallIcon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(kIconId), IMAGE_ICON,
                                                 GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));

  const MainWindowDesc& desc = MainWindowDescription();
  const std::wstring title = GbkToWide(desc.title);
  window_ = CreateObjectWindow(kWindowClass, look, 0, title.c_str(), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                               desc.outer.left, desc.outer.top, desc.outer.width, desc.outer.height, nullptr);
  if (!window_) return false;
  CreateControls();
  Raise(kMainWindowName, Event::Created);
  ShowWindow(window_, showCommand);
  UpdateWindow(window_);
  const RECT outer = ScreenRect(window_);
  lastOuterSize_ = {outer.right - outer.left, outer.bottom - outer.top};
  created_ = true;
  return true;
}

HWND ControlNamed(const char* name) { return MainWindow::Instance().Control(name); }

HWND MainWindow::Control(const char* name) const {
  if (SameName(name, MainWindowDescription().tabName)) return tab_;
  const auto found = controls_.find(name);
  return found == controls_.end() ? nullptr : found->second;
}

int MainWindow::CurrentPage() const { return static_cast<int>(SendMessageW(tab_, TCM_GETCURSEL, 0, 0)); }

void MainWindow::SetCurrentPage(int page) {
  SendMessageW(tab_, TCM_SETCURSEL, static_cast<WPARAM>(page), 0);
  ShowPage(page);
}

void MainWindow::SetTimerInterval(const char* timerName, int intervalMs) {
  for (const auto& [id, name] : timerNames_) {
    if (name != timerName) continue;
    if (intervalMs > 0) {
      SetTimer(window_, static_cast<UINT_PTR>(id), static_cast<UINT>(intervalMs), nullptr);
    } else {
      KillTimer(window_, static_cast<UINT_PTR>(id));
    }
  }
}

void MainWindow::Raise(const char* control, Event event) {
  for (const Binding& binding : EventBindings()) {
    // Also from callbacks that are no window procedure (the browser's events):
    // a handler that runs out of memory ends there.
    if (binding.event == event && SameName(binding.control, control)) RunReportingNoMemory(binding.handler);
  }
}

bool MainWindow::HasBinding(const char* control, Event event) const {
  for (const Binding& binding : EventBindings()) {
    if (binding.event == event && SameName(binding.control, control)) return true;
  }
  return false;
}

void MainWindow::CreateControls() {
  uiFont_ = MakeFont(12, kGb2312Charset, L"宋体");
  const MainWindowDesc& desc = MainWindowDescription();
  const HMENU tabId = reinterpret_cast<HMENU>(static_cast<INT_PTR>(desc.tabId));
  tab_ = CreateWindowExW(0, WC_TABCONTROLW, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP, desc.tab.left,
                         desc.tab.top, desc.tab.width, desc.tab.height, window_, tabId, GetModuleHandleW(nullptr),
                         nullptr);
  SendMessageW(tab_, WM_SETFONT, reinterpret_cast<WPARAM>(uiFont_.Get()), FALSE);
  for (size_t i = 0; i < desc.pageCaptions.size(); ++i) {
    std::wstring caption = GbkToWide(desc.pageCaptions[i]);
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = caption.data();
    SendMessageW(tab_, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
  }

  int timerId = 1;
  for (const ControlDesc& control : MainWindowControls()) {
    if (control.kind == ControlKind::Timer) {
      timerNames_[timerId] = control.name;
      // A timer ticks only when something listens to it.
      if (control.intervalMs > 0 && HasBinding(control.name, Event::Tick))
        SetTimer(window_, static_cast<UINT_PTR>(timerId), static_cast<UINT>(control.intervalMs), nullptr);
      ++timerId;
      continue;
    }
    if (!HasWindow(control)) continue;
    controls_[control.name] = CreateControl(control);
  }
  // Labels may reach under their neighbours ("搜索内容：" under the search box), so
  // they lie below the other controls; all of them lie above the tab control.
  for (const ControlDesc& control : MainWindowControls()) {
    if (control.kind == ControlKind::Label)
      SetWindowPos(Control(control.name), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  SetWindowPos(tab_, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  SendMessageW(tab_, TCM_SETCURSEL, static_cast<WPARAM>(desc.startPage), 0);
  ShowPage(desc.startPage);

  ConnectSubsystems();
}

void MainWindow::ConnectSubsystems() {
  noMemoryStatus = Control(ctl::kSearchStatus);
  SetNoMemoryReport(ShowNoMemory);
  SetLocalSearchControls({Control(ctl::kSearchBox), Control(ctl::kAnswerBank), Control(ctl::kSearchStatus)});
  SetNotepadControls({Control(ctl::kNotepadBox), Control(ctl::kNotepadStatus), [this](const std::string& question) {
                        return AskYesNo(window_, question, MainWindowDescription().pageCaptions[kNotepadPage]);
                      }});
  SetDocumentImportControls({Control(ctl::kAnswerBank), [this](int page) { SetCurrentPage(page); }, OnTabClicked,
                             [this](int intervalMs) { SetTimerInterval(ctl::kPasteTimer, intervalMs); },
                             kLocalSearchPage, Control(ctl::kSearchStatus), FindControl(ctl::kSearchStatus)->caption,
                             AnswerBankReplaced});
  WebSearchControls web;
  web.searchBox = Control(ctl::kSearchBox);
  static_assert(ctl::kEngineBoxes.size() == kEngineCount);
  for (int i = 0; i < kEngineCount; ++i) web.engineBoxes[i] = Control(ctl::kEngineBoxes[i]);
  SetWebSearchControls(web);
}

HWND MainWindow::CreateControl(const ControlDesc& desc) {
  const ControlRect tab = MainWindowDescription().tab;
  const int x = tab.left + desc.rect.left;
  const int y = tab.top + desc.rect.top;
  const int w = desc.rect.width;
  const int h = desc.rect.height;
  HMENU id = reinterpret_cast<HMENU>(static_cast<INT_PTR>(desc.id));
  const std::wstring caption = GbkToWide(desc.caption);
  const DWORD child = WS_CHILD | WS_CLIPSIBLINGS;
  const HINSTANCE instance = GetModuleHandleW(nullptr);

  auto make = [&](DWORD exStyle, const wchar_t* cls, const wchar_t* text, DWORD style) {
    HWND control = CreateWindowExW(exStyle, cls, text, child | style, x, y, w, h, window_, id, instance, nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(uiFont_.Get()), FALSE);
    return control;
  };

  switch (desc.kind) {
    case ControlKind::Label: {
      const std::wstring text = SameName(desc.name, ctl::kWelcomeLabel) ? GbkToWide(WelcomeText()) : caption;
      HWND label = make(0, L"STATIC", text.c_str(), WS_GROUP | SS_LEFT | SS_NOPREFIX);
      if (desc.font.characterHeight > 0) {
        welcomeFont_ = MakeFont(desc.font.characterHeight, desc.font.charset, L"");
        SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(welcomeFont_.Get()), FALSE);
      }
      return label;
    }
    case ControlKind::CheckBox: {
      HWND box = make(0, L"BUTTON", caption.c_str(), WS_GROUP | WS_TABSTOP | BS_AUTOCHECKBOX);
      SetChecked(box, desc.checked);
      return box;
    }
    case ControlKind::RadioButton: {
      // The three radio buttons form one group, opened by the first of them.
      const DWORD group = SameName(desc.name, ctl::kCaptureToLocalRadio) ? (WS_GROUP | WS_TABSTOP) : 0;
      HWND radio = make(0, L"BUTTON", caption.c_str(), group | BS_AUTORADIOBUTTON);
      SetChecked(radio, desc.checked);
      return radio;
    }
    case ControlKind::Slider: {
      HWND slider = make(0, TRACKBAR_CLASSW, L"", WS_GROUP | WS_TABSTOP | TBS_HORZ | TBS_NOTICKS);
      SendMessageW(slider, TBM_SETRANGEMIN, FALSE, desc.slider.minimum);
      SendMessageW(slider, TBM_SETRANGEMAX, FALSE, desc.slider.maximum);
      SendMessageW(slider, TBM_SETLINESIZE, 0, desc.slider.lineSize);
      SendMessageW(slider, TBM_SETPAGESIZE, 0, desc.slider.pageSize);
      SendMessageW(slider, TBM_SETPOS, TRUE, desc.slider.position);
      sliderPositions_[slider] = desc.slider.position;
      return slider;
    }
    case ControlKind::LineEdit:
      return make(WS_EX_CLIENTEDGE, L"EDIT", L"", WS_GROUP | WS_TABSTOP | ES_AUTOHSCROLL);
    case ControlKind::RichEdit: {
      // No drop target of their own: a file dropped on a box reaches the
      // main window's, like a drop anywhere else on the window.
      HWND box = make(WS_EX_CLIENTEDGE, MSFTEDIT_CLASS, L"",
                      WS_GROUP | WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL |
                          ES_NOOLEDRAGDROP);
      // The default limit is 32,767 characters; answer banks are often far longer.
      SendMessageW(box, EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
      return box;
    }
    case ControlKind::Button:
      return make(0, L"BUTTON", caption.c_str(), WS_GROUP | WS_TABSTOP | BS_PUSHBUTTON);
    case ControlKind::BrowserBox:
      browser_.Create(window_, x, y, w, h, desc.id);
      browser_.SetNewWindowHandler([this](const std::string& eventUrl) {
        NewWindowRequest& request = CurrentNewWindowRequest();
        request = NewWindowRequest{eventUrl, true};
        Raise(ctl::kIeBrowser, Event::NewWindowRequested);
        return request.allowed;
      });
      return browser_.Window();
    case ControlKind::ShapeBox:
      return make(0, kShapeBoxClass, L"", WS_GROUP);
    case ControlKind::Timer:
    case ControlKind::DropTarget:
      break;
  }
  return nullptr;
}

void MainWindow::ShowPage(int page) {
  for (const ControlDesc& control : MainWindowControls()) {
    if (!HasWindow(control)) continue;
    HWND window = Control(control.name);
    const bool visible = control.page == page && !control.hiddenForGood;
    ShowControl(window, visible);
  }
}

const char* MainWindow::NameOfId(int id) const {
  for (const ControlDesc& control : MainWindowControls()) {
    if (control.id == id && HasWindow(control)) return control.name;
  }
  return nullptr;
}

void MainWindow::OnSizeMessage() {
  // Only a real change of the outer size after start-up counts: the sizes the
  // system reports while the window is being made are the description's own.
  if (!created_) return;
  const RECT outer = ScreenRect(window_);
  const SIZE size{outer.right - outer.left, outer.bottom - outer.top};
  if (size.cx == lastOuterSize_.cx && size.cy == lastOuterSize_.cy) return;
  lastOuterSize_ = size;
  Raise(kMainWindowName, Event::SizeChanged);
}

LRESULT MainWindow::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (HIWORD(wParam) == BN_CLICKED) {
        if (const char* name = NameOfId(LOWORD(wParam))) Raise(name, Event::Clicked);
      }
      return 0;
    case WM_NOTIFY: {
      const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header->hwndFrom == tab_) {
        if (header->code == TCN_SELCHANGE) ShowPage(CurrentPage());
        // The click comes with the button's release, after the page switch it caused.
        if (header->code == NM_CLICK) Raise(ctl::kTabs, Event::Clicked);
      }
      return 0;
    }
    case WM_HSCROLL:
      if (lParam) {
        // A trackbar also reports clicks and key presses that leave its position as it was.
        const HWND slider = reinterpret_cast<HWND>(lParam);
        const int position = SliderPosition(slider);
        int& last = sliderPositions_[slider];
        if (position == last) return 0;
        last = position;
        if (const char* name = NameOfId(GetDlgCtrlID(slider))) Raise(name, Event::PositionChanged);
      }
      return 0;
    case WM_TIMER: {
      const auto found = timerNames_.find(static_cast<int>(wParam));
      if (found != timerNames_.end()) Raise(found->second.c_str(), Event::Tick);
      return 0;
    }
    case WM_CTLCOLORSTATIC: {
      // Labels and check boxes lie on the tab control's page: paint them with its background.
      HDC dc = reinterpret_cast<HDC>(wParam);
      SetBkMode(dc, TRANSPARENT);
      return reinterpret_cast<LRESULT>(GetSysColorBrush(IsAppThemed() ? COLOR_WINDOW : COLOR_BTNFACE));
    }
    case WM_MOVE:
      if (created_) Raise(kMainWindowName, Event::Moved);
      return 0;
    case WM_SIZE:
      OnSizeMessage();
      return 0;
    case WM_CLOSE:
      Raise(kMainWindowName, Event::CloseRequested);
      DestroyWindow(window_);
      return 0;
    case WM_DESTROY:
      Raise(kMainWindowName, Event::AboutToBeDestroyed);
      RevokeFileDropTarget(window_);
      browser_.Destroy();
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}
