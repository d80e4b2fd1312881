#include "enginehost/EngineView.h"
#include "enginehost/WkeApi.h"

namespace {

// The host is usually a child window, which is never minimised itself: the
// window a user minimises is its top-level one. A host without area (a main
// window made very low) shows as little: no picture can be drawn for it, and
// asking for one would keep both threads busy.
bool NothingToShow(HWND host) {
  if (IsIconic(host) || IsIconic(GetAncestor(host, GA_ROOT))) return true;
  RECT client{};
  return !GetClientRect(host, &client) || client.right <= client.left || client.bottom <= client.top;
}

}  // namespace

void EngineView::PaintLoop() {
  MSG record{};
  while (record.message != WM_QUIT) {
    const HWND host = hostWindow_.load();
    if (!IsWindow(host)) break;
    // A message only matters for ending the loop: a WM_QUIT posted to this thread.
    if (PeekMessageW(&record, nullptr, 0, 0, PM_REMOVE)) continue;
    // No repaint work at all while minimised or without area; the first pass
    // after the restore draws the current picture.
    const WkeView view = webView_.load();
    if (view && !NothingToShow(host) && wkeIsDirty(view)) {
      // Returns once the GUI thread has drawn, so requests never pile up.
      SendMessageW(host, WM_VIEW_REPAINT, 0, 0);
      continue;
    }
    Sleep(10);
  }
}

DWORD WINAPI EngineView::PaintThread(void* view) {
  auto* self = static_cast<EngineView*>(view);
  self->PaintLoop();
  // The last touch of the view: after this it may be freed.
  --self->paintThreads_;
  return 0;
}
