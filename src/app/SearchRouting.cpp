#include "app/SearchRouting.h"

#include "answerbank/search/LocalSearch.h"
#include "app/ControlNames.h"
#include "app/Globals.h"
#include "app/MainWindow.h"
#include "app/WindowDescription.h"
#include "app/WindowOptions.h"
#include "platform/Controls.h"
#include "websearch/WebSearch.h"

namespace {

// On the GUI thread: the captured text goes into the search box and is
// searched the way the radio buttons say.
void ShowCapturedText(const std::string& text) {
  MainWindow& main = MainWindow::Instance();
  SetWindowTextGbk(ControlNamed(ctl::kSearchBox), text);
  if (IsChecked(ControlNamed(ctl::kCaptureToLocalRadio))) {
    main.SetCurrentPage(kLocalSearchPage);
    LocalSearch();
  }
  if (IsChecked(ControlNamed(ctl::kCaptureToIeRadio))) {
    main.SetCurrentPage(kIeBrowserPage);
    OnTabClicked();
  }
  // The WebKit page loads the query when the user clicks its tab.
  if (IsChecked(ControlNamed(ctl::kCaptureToWebKitRadio))) main.SetCurrentPage(kWebKitPage);
}

void RaiseAfterCapture() {
  if (IsChecked(ControlNamed(ctl::kAutoRaiseBox)) && Globals().captureArmed == 1) BringMainWindowToFront();
}

bool CaptureWanted() { return IsChecked(ControlNamed(ctl::kCaptureBox)) && Globals().captureArmed == 1; }

}  // namespace

void OnTabClicked() {
  MainWindow& main = MainWindow::Instance();
  KeepAnEngineChosen();
  if (main.CurrentPage() == kIeBrowserPage) {
    OpenChosenEngines([&main](const std::string& url) { main.Browser().SetAddress(url); });
  }
  if (main.CurrentPage() == kWebKitPage) {
    OpenChosenEngines([](const std::string& url) { Globals().engineView.LoadURL(url); });
  }
}

void StartScreenCapture() {
  std::unique_ptr<ScreenCapture>& capture = Globals().capture;
  capture = std::make_unique<ScreenCapture>(CaptureCallbacks{ShowCapturedText, RaiseAfterCapture});
  RefreshCaptureWanted();
  capture->Start();
}

void RefreshCaptureWanted() {
  if (Globals().capture) Globals().capture->SetWanted(CaptureWanted());
}

void StopScreenCapture() {
  if (Globals().capture) Globals().capture->Stop();
}

void OnCaptureToggled() {
  Globals().captureArmed = IsChecked(ControlNamed(ctl::kCaptureBox)) ? 1 : 0;
  RefreshCaptureWanted();
}
