// The browser box: a child container window hosting the system's IE WebBrowser
// control in place, with the control's events turned into the program's GBK texts.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <functional>
#include <memory>
#include <string>

class IeBrowserBox {
 public:
  IeBrowserBox();
  ~IeBrowserBox();
  IeBrowserBox(const IeBrowserBox&) = delete;
  IeBrowserBox& operator=(const IeBrowserBox&) = delete;
  IeBrowserBox(IeBrowserBox&&) noexcept;
  IeBrowserBox& operator=(IeBrowserBox&&) noexcept;

  // Creates the container window (class "TavrelBrowserBox") as a child of parent and
  // activates the WebBrowser control in place inside it; the control always fills the
  // container. COM must already be initialised on this thread (OleInitialize).
  bool Create(HWND parent, int x, int y, int width, int height, int controlId);
  // Releases the control and destroys the container. Safe to call twice. Call it before
  // the parent window is destroyed and never from inside one of the box's handlers.
  void Destroy();
  HWND Window() const;

  // Writing the address navigates there (GBK text).
  void SetAddress(const std::string& gbkUrl);
  // The control's current LocationURL as GBK, "" when there is none.
  std::string Address() const;
  // The status-bar text as the control last reported it, GBK.
  std::string StatusText() const;

  // Back, forward and refresh; without history they do nothing.
  void GoBack();
  void GoForward();
  void Refresh();

  // "About to open a new window": called once per new-window request with the URL the
  // request carries (GBK, "" when it carries none). Answer true to let the window open,
  // false to stop it. The handler may navigate this box.
  void SetNewWindowHandler(std::function<bool(const std::string& eventUrl)> handler);
  // Observes each top-level navigation the control is about to start (GBK URL).
  void SetBeforeNavigateHandler(std::function<void(const std::string& url)> handler);

  // The control's event sink (DWebBrowserEvents2), so tests can raise events as the
  // control would. Borrowed pointer: no reference is added.
  IDispatch* EventSink();
  // References the control still holds on the box's COM objects; 0 once destroyed.
  unsigned long HeldReferences() const;

  // Gives key messages aimed inside the control to the control (its accelerators, Tab,
  // Backspace...). Call from the message loop; true means the message was handled and
  // must not be translated or dispatched.
  bool TranslateAccelerator(MSG* msg);

  struct Impl;

 private:
  std::unique_ptr<Impl> impl_;
};
