// The main window, built from its description, with its events dispatched
// through the binding table.
#pragma once
#include <windows.h>

#include <map>
#include <string>

#include "app/Events.h"
#include "app/IeBrowserBox.h"
#include "platform/BaseWindow.h"
#include "platform/Handles.h"

class MainWindow : public BaseWindow<MainWindow> {
 public:
  static MainWindow& Instance();

  // Creates the window and every control, runs the created event and shows it.
  bool Create(HINSTANCE instance, int showCommand);

  HWND Handle() const { return window_; }
  // The window of a control by its name; null for controls without one.
  HWND Control(const char* name) const;
  IeBrowserBox& Browser() { return browser_; }

  int CurrentPage() const;
  // Writing the page from the program does not raise the tab control's event.
  void SetCurrentPage(int page);
  // 0 stops the timer.
  void SetTimerInterval(const char* timerName, int intervalMs);

  // Runs the handler bound to the control's event, if there is one.
  void Raise(const char* control, Event event);

 private:
  friend class BaseWindow<MainWindow>;
  MainWindow() = default;
  LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void CreateControls();
  HWND CreateControl(const struct ControlDesc& desc);
  // Hands each subsystem the controls and callbacks it works with.
  void ConnectSubsystems();
  void ShowPage(int page);
  void OnSizeMessage();
  const char* NameOfId(int id) const;
  bool HasBinding(const char* control, Event event) const;

  HWND window_ = nullptr;
  HWND tab_ = nullptr;
  std::map<std::string, HWND> controls_;
  std::map<int, std::string> timerNames_;
  std::map<HWND, int> sliderPositions_;  // as last reported, to raise real changes only
  IeBrowserBox browser_;
  GdiObject uiFont_;
  GdiObject welcomeFont_;
  bool created_ = false;
  SIZE lastOuterSize_{};
};

// The window of one of the main window's controls by its name (app/ControlNames.h).
HWND ControlNamed(const char* name);
