// The events a control of the main window can raise, and the table that binds
// each one to a handler.
#pragma once
#include <string>
#include <vector>

enum class Event {
  Created,             // main window
  CloseRequested,      // main window
  AboutToBeDestroyed,  // main window
  Moved,               // main window
  SizeChanged,         // main window
  Clicked,             // buttons, check boxes, the tab strip
  PositionChanged,     // slider
  Tick,                // timers
  FilesDropped,        // drag-and-drop object
  NewWindowRequested,  // browser box: a page is about to open a new window
};

using Handler = void (*)();

struct Binding {
  const char* control;  // GBK control name, or kMainWindowName
  Event event;
  Handler handler;
};

extern const char* const kMainWindowName;

// Every event that has a handler; an event without a row has none.
const std::vector<Binding>& EventBindings();

// What a page asks for when it wants a new window: the handler reads the
// address the event carried and answers whether the window may open.
struct NewWindowRequest {
  std::string eventUrl;  // GBK; empty when the event carried none
  bool allowed = true;
};
NewWindowRequest& CurrentNewWindowRequest();
