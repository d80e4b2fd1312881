// A window procedure's handler that runs out of memory: the handler ends
// there, the failure is reported, and the program goes on, whether the
// message was sent or posted and dispatched by a message loop.
#include <windows.h>

#include <new>
#include <string>

#include "check.h"
#include "platform/BaseWindow.h"
#include "platform/Handles.h"

namespace {

constexpr UINT kAllocationFails = WM_APP;
constexpr UINT kTooLong = WM_APP + 1;
constexpr UINT kAnswer = WM_APP + 2;

int reports = 0;

class Handlers : public BaseWindow<Handlers> {
 public:
  HWND Create() { return CreateMessageWindow(L"WindowProcedureTest"); }
  int handled = 0;

 private:
  friend class BaseWindow<Handlers>;
  LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kAllocationFails) {
      ++handled;
      throw std::bad_alloc();
    }
    if (message == kTooLong) {
      ++handled;
      std::wstring text;
      text.resize(text.max_size() + 1);  // more than any string can hold
      return 1;
    }
    if (message == kAnswer) return 7;
    return DefWindowProcW(window, message, wParam, lParam);
  }
};

TEST(AHandlerThatRunsOutOfMemoryEndsThereAndIsReported) {
  SetNoMemoryReport([] { ++reports; });
  Handlers handlers;
  OwnedWindow window(handlers.Create());
  REQUIRE(static_cast<bool>(window));
  CHECK_EQ(SendMessageW(window.Get(), kAllocationFails, 0, 0), LRESULT{0});
  CHECK_EQ(SendMessageW(window.Get(), kTooLong, 0, 0), LRESULT{0});
  CHECK_EQ(reports, 2);
  PostMessageW(window.Get(), kAllocationFails, 0, 0);
  PostMessageW(window.Get(), kTooLong, 0, 0);
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
  CHECK_EQ(handlers.handled, 4);
  CHECK_EQ(reports, 4);
  // The window still answers.
  CHECK_EQ(SendMessageW(window.Get(), kAnswer, 0, 0), LRESULT{7});
  SetNoMemoryReport(nullptr);
}

}  // namespace

CHECK_MAIN()
