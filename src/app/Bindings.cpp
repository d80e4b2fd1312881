#include "answerbank/import/DocumentImport.h"
#include "answerbank/notepad/Notepad.h"
#include "answerbank/search/LocalSearch.h"
#include "app/ControlNames.h"
#include "app/DropTarget.h"
#include "app/EngineBootstrap.h"
#include "app/Events.h"
#include "app/Globals.h"
#include "app/MainWindowHandlers.h"
#include "app/SearchRouting.h"
#include "app/WindowOptions.h"
#include "websearch/WebSearch.h"

const char* const kMainWindowName = "主窗口";

const std::vector<Binding>& EventBindings() {
  static const std::vector<Binding> bindings = {
      {kMainWindowName, Event::Created, OnWindowCreated},
      {kMainWindowName, Event::CloseRequested, OnCloseRequested},
      {kMainWindowName, Event::AboutToBeDestroyed, StopEngine},
      {kMainWindowName, Event::SizeChanged, OnWindowResized},
      {kMainWindowName, Event::Moved, OnWindowMoved},
      {ctl::kTabs, Event::Clicked, OnTabClicked},
      {ctl::kHoverTimer, Event::Tick, OnHoverTick},
      {ctl::kTranslucentBox, Event::Clicked, OnTransparencyToggled},
      {ctl::kAlphaSlider, Event::PositionChanged, OnAlphaSlider},
      {ctl::kCaptureBox, Event::Clicked, OnCaptureToggled},
      {ctl::kEngineBoxes[0], Event::Clicked, OnEngineToggled<0>},
      {ctl::kEngineBoxes[1], Event::Clicked, OnEngineToggled<1>},
      {ctl::kEngineBoxes[2], Event::Clicked, OnEngineToggled<2>},
      {ctl::kSearchButton, Event::Clicked, LocalSearch},
      {ctl::kNextButton, Event::Clicked, NextOccurrence},
      {ctl::kPreviousButton, Event::Clicked, PreviousOccurrence},
      {ctl::kIeBackButton, Event::Clicked, BrowserBack},
      {ctl::kIeForwardButton, Event::Clicked, BrowserForward},
      {ctl::kIeRefreshButton, Event::Clicked, BrowserRefresh},
      {ctl::kIeBrowser, Event::NewWindowRequested, BrowserNewWindowInPlace},
      // The WebKit page's "<<", "◎" and ">>"; the view's answers are not needed.
      {ctl::kWebKitBackButton, Event::Clicked, [] { Globals().engineView.GoBack(); }},
      {ctl::kWebKitReloadButton, Event::Clicked, [] { Globals().engineView.Reload(); }},
      {ctl::kWebKitForwardButton, Event::Clicked, [] { Globals().engineView.GoForward(); }},
      {ctl::kNewNoteButton, Event::Clicked, NewNote},
      {ctl::kReadNoteButton, Event::Clicked, ReadNote},
      {ctl::kSaveNoteButton, Event::Clicked, SaveNote},
      {ctl::kFormatNoteButton, Event::Clicked, FormatNote},
      {ctl::kPasteTimer, Event::Tick, DelayedPaste},
      {ctl::kDropTarget, Event::FilesDropped, OnFilesDroppedEvent},
  };
  return bindings;
}

NewWindowRequest& CurrentNewWindowRequest() {
  static NewWindowRequest request;
  return request;
}
