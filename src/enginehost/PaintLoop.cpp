#include "enginehost/EngineView.h"
#include "enginehost/WkeApi.h"

namespace {

// The host is usually a child window, which is never minimised itself: the
// window a user minimises is its top-level one.
bool Minimised(HWND host) { return IsIconic(host) || IsIconic(GetAncestor(host, GA_ROOT)); }

}  // namespace

void EngineView::PaintLoop() {
  MSG record{};
  while (record.message != WM_QUIT) {
    const HWND host = hostWindow_.load();
    if (!IsWindow(host)) break;
    // A message only matters for ending the loop: a WM_QUIT posted to this thread.
    if (PeekMessageW(&record, nullptr, 0, 0, PM_REMOVE)) continue;
    // No repaint work at all while minimised; the first pass after the restore
    // draws the current picture.
    const WkeView view = webView_.load();
    if (view && !Minimised(host) && wkeIsDirty(view)) {
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
