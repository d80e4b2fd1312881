// One web view of the engine library inside a window of the program, behaving
// like a control: the host window's procedure is taken over and its input goes
// to the engine, a paint thread has changed pictures drawn on the GUI thread by
// the renderer, and the operations below drive the view.
//
// Texts are GBK; "W" operations take or give UTF-16 bytes (code units and one
// zero unit). Without a view (before Create, after Destroy, or when the engine
// gave none) the operations call nothing and answer empty, false or 0.
#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "enginehost/EngineEvents.h"
#include "enginehost/Trampolines.h"
#include "enginehost/ViewInput.h"
#include "enginehost/WkeTypes.h"
#include "view/Renderer.h"
#include "view/RendererKind.h"

using Bytes = std::vector<uint8_t>;

constexpr UINT WM_VIEW_REPAINT = kViewRepaintMessage;

class EngineView {
 public:
  // Empty: no engine call yet, a table of empty trampolines and a renderer that
  // draws nothing.
  EngineView();
  // Destroys the view; the paint thread has let go of this object by then.
  ~EngineView();
  // Two objects would subclass, and later restore, the same window.
  EngineView(const EngineView&) = delete;
  EngineView& operator=(const EngineView&) = delete;

  // The host window's messages, through HostWindowProc.
  LRESULT WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  // The paint thread's loop: every 10 ms, a changed picture is drawn through the
  // GUI thread; ends when the host window is gone or WM_QUIT reaches the thread.
  void PaintLoop();
  // The 11 callback trampolines, unless they exist.
  void BuildTrampolines();
  // Creates the engine view in `hostWindow` and starts painting. True when the
  // view exists afterwards; while it lives, a second call changes nothing.
  // rendererKind: 0 GDI, 1 Direct2D, 2 Direct3D 9 (others GDI); transparent:
  // a layered host window updated with per-pixel alpha.
  bool Create(HWND hostWindow, int rendererKind = kDefaultRendererKind, bool transparent = false);
  // Gives the window its procedure back, waits (briefly) for the paint thread
  // to end, destroys the engine view, releases the renderer and frees the
  // trampolines. Safe to repeat.
  void Destroy();

  HWND GetHostWindow() const;
  WkeView GetWebView() const;

  void LoadURL(const std::string& url);
  void LoadURLW(const Bytes& url);
  // An empty body goes to the engine as a null pointer and length 0.
  void PostURL(const std::string& url, const Bytes& body);
  void PostURLW(const Bytes& url, const Bytes& body);
  void LoadHTML(const std::string& html);
  void LoadHTMLW(const Bytes& html);
  void LoadFile(const std::string& path);
  void LoadFileW(const Bytes& path);
  void Load(const std::string& what);
  void LoadW(const Bytes& what);
  void SetUserAgent(const std::string& agent);
  void SetUserAgentW(const Bytes& agent);
  bool IsLoading();
  bool IsLoadingSucceeded();
  bool IsLoadingFailed();
  bool IsLoadingCompleted();
  bool IsDocumentReady();
  void StopLoading();
  void Reload();
  std::string GetTitle();
  // The title's code units and the zero unit; 00 00 without a title.
  Bytes GetTitleW();
  int32_t GetWidth();
  int32_t GetHeight();
  int32_t GetContentWidth();
  int32_t GetContentHeight();
  bool CanGoBack();
  bool GoBack();
  bool CanGoForward();
  bool GoForward();
  void EditorSelectAll();
  void EditorCopy();
  void EditorCut();
  void EditorPaste();
  void EditorDelete();
  std::string GetCookie();
  Bytes GetCookieW();
  // Any non-zero value enables.
  void SetCookieEnabled(int32_t enable);
  bool IsCookieEnabled();
  void SetMediaVolume(float volume);
  float GetMediaVolume();
  void SetZoomFactor(float factor);
  float GetZoomFactor();
  void SetEditable(int32_t editable);
  WkeScriptValue RunJS(const std::string& script);
  WkeScriptValue RunJSW(const Bytes& script);
  WkeExecState GlobalExec();
  // The whole page, not just the visible part, as a complete bitmap file (32
  // bits, top-down). Empty without a view, and for a page too large to hold;
  // the view's size and the body's overflow are put back in any case.
  Bytes CaptureBitmap();

  // The program's event handlers; meant for a created view. Registering again
  // replaces the handler.
  void OnTitleChanged(TitleChangedHandler handler);
  void OnURLChanged(URLChangedHandler handler);
  void OnAlertBox(AlertBoxHandler handler);
  void OnConfirmBox(ConfirmBoxHandler handler);
  void OnPromptBox(PromptBoxHandler handler);
  void OnConsoleMessage(ConsoleMessageHandler handler);
  void OnNavigation(NavigationHandler handler);
  void OnCreateView(CreateViewHandler handler);
  void OnDocumentReady(DocumentReadyHandler handler);
  void OnLoadingFinish(LoadingFinishHandler handler);

  // The procedure installed on the host window: finds the view through the
  // window's "wkeEThis" property.
  static LRESULT CALLBACK HostWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

 private:
  static DWORD WINAPI PaintThread(void* view);

  // Read by the paint thread while the GUI thread may change them.
  std::atomic<WkeView> webView_{nullptr};
  WNDPROC prevWndProc_ = nullptr;
  std::atomic<HWND> hostWindow_{nullptr};
  std::unique_ptr<TrampolineTable> trampolines_;
  std::unique_ptr<Renderer> renderer_;
  // Paint threads that may still read this object.
  std::atomic<int> paintThreads_{0};
};
