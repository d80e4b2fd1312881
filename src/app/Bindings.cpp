#include "answerbank/LocalSearch.h"
#include "app/Events.h"
#include "app/ShellHandlers.h"

const char* const kMainWindowName = "主窗口";

const std::vector<Binding>& EventBindings() {
  static const std::vector<Binding> bindings = {
      {kMainWindowName, Event::Created, OnWindowCreated},
      {kMainWindowName, Event::CloseRequested, OnCloseRequested},
      {kMainWindowName, Event::SizeChanged, OnWindowResized},
      {"按钮1", Event::Clicked, LocalSearch},
      {"按钮5", Event::Clicked, NextOccurrence},
      {"按钮6", Event::Clicked, PreviousOccurrence},
      {"按钮2", Event::Clicked, BrowserBack},
      {"按钮3", Event::Clicked, BrowserForward},
      {"按钮4", Event::Clicked, BrowserRefresh},
      {"超文本浏览框1", Event::NewWindowRequested, BrowserNewWindowInPlace},
  };
  return bindings;
}

NewWindowRequest& CurrentNewWindowRequest() {
  static NewWindowRequest request;
  return request;
}
