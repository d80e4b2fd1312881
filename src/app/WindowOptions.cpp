#include "app/WindowOptions.h"

#include <windows.h>

#include "app/Globals.h"
#include "app/MainWindow.h"

void RecordWindowRect() {
  RECT rect{};
  GetWindowRect(MainWindow::Instance().Handle(), &rect);
  Globals().windowRect = {static_cast<double>(rect.left), static_cast<double>(rect.top),
                          static_cast<double>(rect.right), static_cast<double>(rect.bottom)};
}
