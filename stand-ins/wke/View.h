// A view of the stand-in engine: everything it knows of one page, the input it
// received and the callbacks registered on it; and the table of live views.
#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "Page.h"
#include "enginehost/WkeTypes.h"
#include "platform/Handles.h"

struct WkeStringObject {
  std::wstring text;
};
struct WkeExecStateObject {
  int unused = 0;
};

enum NavigationType { kNavLink = 0, kNavPost = 1, kNavBackForward = 2, kNavReload = 3, kNavOther = 4 };

struct Callback {
  void* function = nullptr;
  void* param = nullptr;
};

struct HistoryEntry {
  enum Kind { kUrl, kHtml, kFile } kind = kHtml;
  std::wstring address;  // the URL shown
  std::wstring source;   // the HTML, or the file's path
};

struct View {
  int id = 0;
  int width = 0;
  int height = 0;
  std::atomic<bool> dirty{false};
  HWND hostWindow = nullptr;
  bool transparent = false;
  bool editable = false;
  bool focused = false;
  bool cookieEnabled = true;
  float zoom = 1.0f;
  float volume = 1.0f;
  std::wstring userAgent;
  std::wstring cookie;
  std::wstring url;
  std::wstring title;
  Page page;
  bool loaded = false;
  bool loadFailed = false;
  std::vector<HistoryEntry> history;
  int historyIndex = -1;
  int scrollY = 0;
  std::wstring typed;
  bool selectedAll = false;
  std::wstring clipboard;
  std::wstring lastKey;
  std::wstring lastMenu;
  std::wstring lastWheel;
  int mouseX = -1;
  int mouseY = -1;
  unsigned mouseMessage = 0;
  unsigned mouseFlags = 0;
  // Set by the script "standin.stayDirty = true": every paint leaves the view
  // dirty, so a host repaints it without pause (for measuring repaint rates).
  bool stayDirty = false;
  Callback callbacks[11];
  WkeExecStateObject execState;
  // The picture, drawn with GDI into a top-down 32-bit DIB. Members go in this
  // order so the bitmap is deselected before it is deleted, and both before the DC.
  OwnedDc dc;
  GdiObject bitmap;
  std::optional<SelectedObject> bitmapSelection;
  uint32_t* pixels = nullptr;  // the DIB's bits, owned by `bitmap`
  int pictureWidth = 0;
  int pictureHeight = 0;
};

enum CallbackSlot {
  kTitleSlot, kUrlSlot, kPaintSlot, kAlertSlot, kConfirmSlot, kPromptSlot,
  kConsoleSlot, kNavigationSlot, kCreateViewSlot, kDocumentReadySlot, kLoadingFinishSlot,
};

// The view behind a handle, or null when the handle names no live view.
View* Find(WkeView handle);

inline WkeView Handle(View& view) { return reinterpret_cast<WkeView>(&view); }

template <typename Function>
Function CallbackOf(const View& view, int slot) {
  return reinterpret_cast<Function>(view.callbacks[slot].function);
}

// A text handed to the host, valid while `object` lives.
inline WkeString Str(WkeStringObject& object) { return &object; }
