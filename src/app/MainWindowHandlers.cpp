#include "app/MainWindowHandlers.h"

#include "answerbank/import/DocumentImport.h"

#include "app/ControlNames.h"
#include "app/DropTarget.h"
#include "app/EngineBootstrap.h"
#include "app/Globals.h"
#include "app/MainWindow.h"
#include "app/ResizeLayout.h"
#include "app/SearchRouting.h"
#include "app/WindowOptions.h"
#include "platform/Controls.h"

void OnWindowCreated() {
  const HWND main = MainWindow::Instance().Handle();
  const RECT rect = ScreenRect(main);
  ApplyAlpha(main, 200);
  StartScreenCapture();
  // Files dropped anywhere on the window; the result is not looked at.
  RegisterFileDropTarget(main, [](const DroppedPaths& paths) {
    CurrentDroppedPaths() = paths;
    MainWindow::Instance().Raise(ctl::kDropTarget, Event::FilesDropped);
  });
  RecordWindowRect(rect);
  Globals().captureArmed = 1;
  RefreshCaptureWanted();
  StartEngine();
}

void OnCloseRequested() {
  // Each lets its borrowing of the clipboard end, so the user's is back
  // before the program goes.
  StopScreenCapture();
  EndImportOnClose();
}

void OnWindowResized() {
  MainWindow& main = MainWindow::Instance();
  const RECT outer = ScreenRect(main.Handle());
  for (const ResizedControl& control : ResizeLayout(outer.right - outer.left, outer.bottom - outer.top)) {
    SetWindowSize(ControlNamed(control.name), control.width, control.height);
  }
  RecordWindowRect(outer);
}

void BrowserBack() { MainWindow::Instance().Browser().GoBack(); }
void BrowserForward() { MainWindow::Instance().Browser().GoForward(); }
void BrowserRefresh() { MainWindow::Instance().Browser().Refresh(); }

void BrowserNewWindowInPlace() {
  // The address the new-window event carries is the page that would open; the
  // status-bar text is only a fallback, since a script-opened window leaves it
  // showing some other link.
  IeBrowserBox& browser = MainWindow::Instance().Browser();
  NewWindowRequest& request = CurrentNewWindowRequest();
  const std::string address = request.eventUrl.empty() ? browser.StatusText() : request.eventUrl;
  browser.SetAddress(address);
  request.allowed = false;
}
