#include "answerbank/DocumentImport.h"
#include "answerbank/LocalSearch.h"
#include "answerbank/Notepad.h"
#include "app/DropTarget.h"
#include "app/Events.h"
#include "app/Globals.h"
#include "app/ShellHandlers.h"
#include "app/WindowOptions.h"
#include "enginehost/EngineBootstrap.h"
#include "websearch/ScreenCapture.h"
#include "websearch/WebSearch.h"

const char* const kMainWindowName = "主窗口";

const std::vector<Binding>& EventBindings() {
  static const std::vector<Binding> bindings = {
      {kMainWindowName, Event::Created, OnWindowCreated},
      {kMainWindowName, Event::CloseRequested, OnCloseRequested},
      {kMainWindowName, Event::AboutToBeDestroyed, StopEngine},
      {kMainWindowName, Event::SizeChanged, OnWindowResized},
      {kMainWindowName, Event::Moved, OnWindowMoved},
      {"选择夹1", Event::Clicked, OnTabClicked},
      {"时钟1", Event::Tick, OnHoverTick},
      {"选择框2", Event::Clicked, OnTransparencyToggled},
      {"滑块条1", Event::PositionChanged, OnAlphaSlider},
      {"选择框3", Event::Clicked, OnCaptureToggled},
      {"选择框4", Event::Clicked, OnEngineToggled<0>},
      {"选择框5", Event::Clicked, OnEngineToggled<1>},
      {"选择框6", Event::Clicked, OnEngineToggled<2>},
      {"按钮1", Event::Clicked, LocalSearch},
      {"按钮5", Event::Clicked, NextOccurrence},
      {"按钮6", Event::Clicked, PreviousOccurrence},
      {"按钮2", Event::Clicked, BrowserBack},
      {"按钮3", Event::Clicked, BrowserForward},
      {"按钮4", Event::Clicked, BrowserRefresh},
      {"超文本浏览框1", Event::NewWindowRequested, BrowserNewWindowInPlace},
      // The WebKit page's "<<", "◎" and ">>"; the view's answers are not needed.
      {"按钮7", Event::Clicked, [] { Globals().engineView.GoBack(); }},
      {"按钮8", Event::Clicked, [] { Globals().engineView.Reload(); }},
      {"按钮9", Event::Clicked, [] { Globals().engineView.GoForward(); }},
      {"按钮10", Event::Clicked, NewNote},
      {"按钮11", Event::Clicked, ReadNote},
      {"按钮13", Event::Clicked, SaveNote},
      {"按钮15", Event::Clicked, FormatNote},
      {"时钟2", Event::Tick, DelayedPaste},
      {"拖放对象1", Event::FilesDropped, OnFilesDroppedEvent},
  };
  return bindings;
}

NewWindowRequest& CurrentNewWindowRequest() {
  static NewWindowRequest request;
  return request;
}
