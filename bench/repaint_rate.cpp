// How fast each back end (GDI, Direct3D 9, Direct2D) repaints a view that never
// stops changing: the stand-in engine is told to stay dirty after every paint,
// so the paint thread asks for a repaint on every pass and the GUI thread
// renders as fast as it can. Counts the engine's paints (from the stand-in's
// call log) per second, through the paint loop and, for comparison, with Render
// called in a tight loop on the GUI thread; also the process's CPU time per
// second.
//
//   repaint_rate.exe [seconds per measurement, default 3]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "enginehost/EngineView.h"
#include "enginehost/WkeApi.h"
#include "platform/Handles.h"
#include "view/Renderer.h"

namespace {

const wchar_t* StandinLog(int clear) {
  using LogEntry = const wchar_t*(WKE_CALL*)(int);
  static const LogEntry entry = reinterpret_cast<LogEntry>(
      reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleW(L"wke.dll"), "standinCallLog")));
  return entry ? entry(clear) : L"";
}

// Paints logged since the last call; the log is emptied each time.
long TakePaints() {
  const std::wstring log = StandinLog(1);
  long paints = 0;
  for (size_t at = log.find(L"wkePaint2("); at != std::wstring::npos; at = log.find(L"wkePaint2(", at + 1)) ++paints;
  return paints;
}

double CpuSeconds() {
  FILETIME created, ended, kernel, user;
  GetProcessTimes(GetCurrentProcess(), &created, &ended, &kernel, &user);
  const auto seconds = [](const FILETIME& t) {
    return static_cast<double>((static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
  };
  return seconds(kernel) + seconds(user);
}

void PumpFor(DWORD milliseconds) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < milliseconds) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
}

OwnedWindow MakeWindow(int width, int height) {
  WNDCLASSEXW cls{};
  cls.cbSize = sizeof cls;
  cls.lpfnWndProc = DefWindowProcW;
  cls.hInstance = GetModuleHandleW(nullptr);
  cls.lpszClassName = L"RepaintRate";
  RegisterClassExW(&cls);
  OwnedWindow window(CreateWindowExW(0, L"RepaintRate", L"", WS_POPUP | WS_VISIBLE, 0, 0, width, height, nullptr,
                                     nullptr, cls.hInstance, nullptr));
  PumpFor(100);
  return window;
}

const char kPage[] =
    "<title>重绘 repaint</title><p>第一行 a line of text</p><p>second line</p><a href='https://example.com/'>link</a>";

struct BackEnd {
  int kind;
  const char* name;
};
constexpr BackEnd kBackEnds[] = {{0, "GDI"}, {2, "Direct3D 9"}, {1, "Direct2D"}};

void Measure(const BackEnd& backEnd, int width, int height, DWORD milliseconds) {
  OwnedWindow window = MakeWindow(width, height);
  // A back end that cannot start here would be measured as GDI: say so instead.
  {
    const std::unique_ptr<Renderer> probe = MakeRenderer(backEnd.kind);
    const bool starts = probe->Init(window.Get());
    probe->Release();
    if (!starts) {
      std::printf("%-10s  %4d x %-4d  cannot start here\n", backEnd.name, width, height);
      return;
    }
  }
  EngineView view;
  view.Create(window.Get(), backEnd.kind);
  view.LoadHTML(kPage);
  view.RunJS("standin.stayDirty = true");
  PumpFor(300);
  TakePaints();

  // Through the paint thread and WM_VIEW_REPAINT, as the program draws.
  long paints = 0;
  double cpu = CpuSeconds();
  DWORD start = GetTickCount();
  while (GetTickCount() - start < milliseconds) {
    PumpFor(100);
    paints += TakePaints();
  }
  double elapsed = (GetTickCount() - start) / 1000.0;
  std::printf("%-10s  %4d x %-4d  paint loop  %8.0f frames/s   CPU %5.0f ms/s\n", backEnd.name, width, height,
              paints / elapsed, (CpuSeconds() - cpu) * 1000 / elapsed);
  view.Destroy();

  // The same view and renderer work with nothing between the frames.
  const WkeView engineView = wkeCreateWebView();
  wkeResize(engineView, width, height);
  wkeRunJSW(engineView, L"standin.stayDirty = true");
  const std::unique_ptr<Renderer> renderer = MakeRenderer(backEnd.kind);
  renderer->Init(window.Get());
  TakePaints();
  paints = 0;
  cpu = CpuSeconds();
  start = GetTickCount();
  while (GetTickCount() - start < milliseconds) {
    for (int i = 0; i < 50; ++i) renderer->Render(engineView);
    paints += TakePaints();
  }
  elapsed = (GetTickCount() - start) / 1000.0;
  std::printf("%-10s  %4d x %-4d  tight loop  %8.0f frames/s   CPU %5.0f ms/s\n", backEnd.name, width, height,
              paints / elapsed, (CpuSeconds() - cpu) * 1000 / elapsed);
  renderer->Release();
  wkeDestroyWebView(engineView);
}

}  // namespace

int main(int argc, char** argv) {
  const double seconds = argc > 1 ? std::atof(argv[1]) : 3.0;
  const DWORD milliseconds = static_cast<DWORD>((seconds > 0 ? seconds : 3.0) * 1000);
  // Like the program: every thread on the first processor.
  SetProcessAffinityMask(GetCurrentProcess(), 1);
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);  // WIC, for Direct2D
  wkeInitialize();
  std::printf("A view that stays dirty, one processor, %.1f s each:\n", milliseconds / 1000.0);
  for (const BackEnd& backEnd : kBackEnds) {
    Measure(backEnd, 600, 360, milliseconds);
    Measure(backEnd, 1200, 800, milliseconds);
  }
  wkeFinalize();
  CoUninitialize();
  return 0;
}
