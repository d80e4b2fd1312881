// Program entry: global objects, the main window and the message loop.
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include <cstdlib>

#include "answerbank/import/DocumentImport.h"
#include "app/Globals.h"
#include "app/MainWindow.h"
#include "platform/ClipboardLoan.h"
#include "platform/MessagePump.h"

namespace {

// The longest the program stays after its window has gone, for a borrower of
// the clipboard to put the user's back.
constexpr DWORD kClipboardReturnWaitMs = 5000;

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
  // The browser control and the drop target both need OLE on this thread.
  OleInitialize(nullptr);
  GlobalInit();
  std::atexit(ExitCleanup);

  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_TAB_CLASSES | ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  LoadLibraryW(L"msftedit.dll");  // the rich edit boxes' class

  MainWindow& window = MainWindow::Instance();
  if (!window.Create(instance, showCommand)) return 1;
  SetMessageFilter([&window](MSG& message) { return window.Browser().TranslateAccelerator(&message); });

  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchWithFilter(message);

  SetMessageFilter(nullptr);
  // A window destroyed without a close message ends the import's loan here.
  EndImportOnClose();
  ClipboardLoan::WaitForAllGivenBack(kClipboardReturnWaitMs);
  OleUninitialize();
  return 0;
}
