#include "enginehost/EngineView.h"

#include <imm.h>

#include "enginehost/CallbackTable.h"
#include "enginehost/WkeApi.h"
#include "platform/Handles.h"
#include "platform/NoMemory.h"

namespace {

constexpr char kViewProperty[] = "wkeEThis";

// The window's input context from ImmGetContext, given back with ImmReleaseContext.
class InputContext {
 public:
  explicit InputContext(HWND window) : window_(window), context_(ImmGetContext(window)) {}
  ~InputContext() {
    if (context_) ImmReleaseContext(window_, context_);
  }
  InputContext(const InputContext&) = delete;
  InputContext& operator=(const InputContext&) = delete;
  HIMC Get() const { return context_; }

 private:
  HWND window_;
  HIMC context_;
};

uint32_t Low32(WPARAM value) { return static_cast<uint32_t>(value); }
uint32_t Low32(LPARAM value) { return static_cast<uint32_t>(static_cast<uintptr_t>(value)); }

// The candidate window of the input method goes under the engine's caret.
void PlaceCandidateWindow(HWND hwnd, WkeView view) {
  const WkeRect caret = wkeGetCaretRect(view);
  const CandidatePlacement placement = CandidatePlacementFor({caret.x, caret.y, caret.width, caret.height});
  CANDIDATEFORM form{};
  form.dwIndex = 0;
  form.dwStyle = CFS_EXCLUDE;
  form.ptCurrentPos = {placement.currentX, placement.currentY};
  form.rcArea = {placement.left, placement.top, placement.right, placement.bottom};
  const InputContext context(hwnd);
  ImmSetCandidateWindow(context.Get(), &form);
}

void Register(WkeView view, const TrampolineTable& trampolines, int index, void* handler) {
  if (view) RegisterEvent(view, trampolines, index, handler);
}

template <typename Handler>
void* HandlerAddress(Handler handler) {
  return reinterpret_cast<void*>(handler);
}

// Waits until no paint thread reads the view any more. A thread may be waiting
// for this thread to answer its repaint request, so sent messages are answered
// meanwhile; a thread ends within one pass once the host window is gone.
void WaitForPaintThreads(const std::atomic<int>& running) {
  for (int waited = 0; running.load() > 0 && waited < 2000; ++waited) {
    MSG pending;
    PeekMessageW(&pending, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    Sleep(1);
  }
}

}  // namespace

EngineView::EngineView() : trampolines_(std::make_unique<TrampolineTable>()), renderer_(std::make_unique<Renderer>()) {}

EngineView::~EngineView() { Destroy(); }

LRESULT EngineView::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  const WkeView view = webView_.load();
  bool handled = true;
  // Without an engine view nothing is the view's to handle.
  const ViewMessage kind = view ? ClassifyViewMessage(message) : ViewMessage::Other;
  switch (kind) {
    case ViewMessage::Paint: {
      // Only marks the picture changed: the paint loop draws within a pass.
      PAINTSTRUCT paint;
      BeginPaint(hwnd, &paint);
      wkeSetDirty(view, true);
      EndPaint(hwnd, &paint);
      break;
    }
    case ViewMessage::Size: {
      const int32_t width = X16(Low32(lParam));
      const int32_t height = Hi16(Low32(lParam));
      wkeResize(view, width, height);
      renderer_->Resize(width, height);
      break;
    }
    case ViewMessage::Repaint: {
      // The engine view follows the client area even when no WM_SIZE came.
      RECT client{};
      GetClientRect(hostWindow_.load(), &client);
      wkeResize(view, client.right, client.bottom);
      // The renderer's picture must be the size the engine paints at, also after
      // a WM_SIZE that did not tell the client area's size.
      renderer_->Resize(client.right, client.bottom);
      renderer_->Render(view);
      break;
    }
    case ViewMessage::KeyDown:
      handled = wkeFireKeyDownEvent(view, Low32(wParam), KeyFlags(Low32(lParam)), false);
      break;
    case ViewMessage::KeyUp:
      handled = wkeFireKeyUpEvent(view, Low32(wParam), KeyFlags(Low32(lParam)), false);
      break;
    case ViewMessage::Char:
      // A Unicode window procedure: the character is one UTF-16 unit.
      handled = wkeFireKeyPressEvent(view, Low32(wParam), KeyFlags(Low32(lParam)), false);
      break;
    case ViewMessage::Mouse: {
      switch (ButtonActionOf(message)) {
        case ButtonAction::FocusAndCapture:
          SetFocus(hostWindow_.load());
          SetCapture(hostWindow_.load());
          break;
        case ButtonAction::ReleaseCapture:
          ReleaseCapture();
          break;
        case ButtonAction::None:
          break;
      }
      const ViewPoint point = PointFromLParam(Low32(lParam));
      handled = wkeFireMouseEvent(view, message, point.x, point.y, MouseFlags(Low32(wParam)));
      break;
    }
    case ViewMessage::ContextMenu: {
      const ViewPoint at = PointFromLParam(Low32(lParam));
      POINT point{at.x, at.y};
      if (ContextMenuPointIsOnScreen(at)) ScreenToClient(hwnd, &point);
      handled = wkeFireContextMenuEvent(view, point.x, point.y, Low32(wParam));
      break;
    }
    case ViewMessage::Wheel: {
      const ViewPoint at = PointFromLParam(Low32(lParam));
      POINT point{at.x, at.y};
      ScreenToClient(hwnd, &point);
      handled = wkeFireMouseWheelEvent(view, point.x, point.y, WheelDelta(Low32(wParam)), MouseFlags(Low32(wParam)));
      break;
    }
    case ViewMessage::SetFocus:
      wkeSetFocus(view);
      break;
    case ViewMessage::KillFocus:
      wkeKillFocus(view);
      break;
    case ViewMessage::ImeStartComposition:
      PlaceCandidateWindow(hwnd, view);
      break;
    case ViewMessage::Other:
      handled = false;
      break;
  }
  if (handled) return 0;
  if (!prevWndProc_) return DefWindowProcW(hwnd, message, wParam, lParam);
  return CallWindowProcW(prevWndProc_, hwnd, message, wParam, lParam);
}

void EngineView::BuildTrampolines() { trampolines_->Build(); }

bool EngineView::Create(HWND hostWindow, int rendererKind, bool transparent) {
  if (webView_.load()) return true;
  if (!IsWindow(hostWindow)) return false;
  BuildTrampolines();
  hostWindow_ = hostWindow;
  const WkeView view = wkeCreateWebView();
  if (!view) return false;
  webView_ = view;
  wkeSetHostWindow(view, hostWindow);

  if (transparent) {
    wkeSetTransparent(view, true);
    const LONG_PTR exStyle = GetWindowLongPtrW(hostWindow, GWL_EXSTYLE);
    SetWindowLongPtrW(hostWindow, GWL_EXSTYLE, exStyle | WS_EX_LAYERED);
    RegisterEvent(view, *trampolines_, kPaintUpdated, hostWindow);
  } else {
    wkeSetTransparent(view, false);
  }

  ChooseRenderer(renderer_, rendererKind, hostWindow);

  const LONG_PTR hostProc = reinterpret_cast<LONG_PTR>(&EngineView::HostWindowProc);
  if (GetWindowLongPtrW(hostWindow, GWLP_WNDPROC) != hostProc) {
    const LONG_PTR old = SetWindowLongPtrW(hostWindow, GWLP_WNDPROC, hostProc);
    SetPropA(hostWindow, kViewProperty, this);
    prevWndProc_ = reinterpret_cast<WNDPROC>(old);
  }

  // The thread of an earlier life of the view must not see this window too.
  WaitForPaintThreads(paintThreads_);
  ++paintThreads_;
  // Never joined: the thread ends by itself when the host window is gone.
  const KernelHandle thread(CreateThread(nullptr, 0, &EngineView::PaintThread, this, 0, nullptr));
  if (!thread) --paintThreads_;
  return true;
}

void EngineView::Destroy() {
  if (const HWND host = hostWindow_.exchange(nullptr)) {
    // A window this view never subclassed (the engine gave no view) keeps its
    // own procedure.
    if (prevWndProc_) SetWindowLongPtrW(host, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(prevWndProc_));
    prevWndProc_ = nullptr;
  }
  // The paint thread may have read the view handle just before the window went
  // and still be asking the engine whether it is dirty: it ends within a pass,
  // and only then is the engine view freed.
  WaitForPaintThreads(paintThreads_);
  if (const WkeView view = webView_.exchange(nullptr)) wkeDestroyWebView(view);
  renderer_->Release();
  // The engine view that held the trampolines' addresses is gone first.
  trampolines_->Release();
}

LRESULT CALLBACK EngineView::HostWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* view = static_cast<EngineView*>(GetPropA(hwnd, kViewProperty));
  if (!view) return DefWindowProcW(hwnd, message, wParam, lParam);
  // A picture that cannot get its memory (a huge size) ends this message only.
  LRESULT result = 0;
  RunReportingNoMemory([&] { result = view->WindowProc(hwnd, message, wParam, lParam); });
  return result;
}

void EngineView::OnTitleChanged(TitleChangedHandler handler) {
  Register(webView_.load(), *trampolines_, kTitleChanged, HandlerAddress(handler));
}

void EngineView::OnURLChanged(URLChangedHandler handler) {
  Register(webView_.load(), *trampolines_, kURLChanged, HandlerAddress(handler));
}

void EngineView::OnAlertBox(AlertBoxHandler handler) {
  Register(webView_.load(), *trampolines_, kAlertBox, HandlerAddress(handler));
}

void EngineView::OnConfirmBox(ConfirmBoxHandler handler) {
  Register(webView_.load(), *trampolines_, kConfirmBox, HandlerAddress(handler));
}

void EngineView::OnPromptBox(PromptBoxHandler handler) {
  Register(webView_.load(), *trampolines_, kPromptBox, HandlerAddress(handler));
}

void EngineView::OnConsoleMessage(ConsoleMessageHandler handler) {
  Register(webView_.load(), *trampolines_, kConsoleMessage, HandlerAddress(handler));
}

void EngineView::OnNavigation(NavigationHandler handler) {
  Register(webView_.load(), *trampolines_, kNavigation, HandlerAddress(handler));
}

void EngineView::OnCreateView(CreateViewHandler handler) {
  Register(webView_.load(), *trampolines_, kCreateView, HandlerAddress(handler));
}

void EngineView::OnDocumentReady(DocumentReadyHandler handler) {
  Register(webView_.load(), *trampolines_, kDocumentReady, HandlerAddress(handler));
}

void EngineView::OnLoadingFinish(LoadingFinishHandler handler) {
  Register(webView_.load(), *trampolines_, kLoadingFinish, HandlerAddress(handler));
}
