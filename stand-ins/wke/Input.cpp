// Input: keys, the mouse, focus and editing, each leaving its trace in the
// picture; a click on a link line follows the link.
#include <windows.h>

#include <algorithm>
#include <string>

#include "CallLog.h"
#include "Exports.h"
#include "Loading.h"
#include "Picture.h"
#include "View.h"

namespace {

bool IsEditingKey(unsigned key) {
  return key == VK_BACK || key == VK_TAB || key == VK_DELETE || key == VK_HOME || key == VK_END ||
         (key >= VK_LEFT && key <= VK_DOWN);
}

// The link line under a point of the view, or null.
const PageLine* LinkAt(View& view, int x, int y) {
  if (y < kHeaderHeight || y >= view.height - kTraceHeight || x < 0 || x >= view.width) return nullptr;
  const int lineHeight = LineHeight(view);
  const int index = (y - kContentTop + view.scrollY) / lineHeight;
  if (y - kContentTop + view.scrollY < 0 || index >= static_cast<int>(view.page.lines.size())) return nullptr;
  const PageLine& line = view.page.lines[static_cast<size_t>(index)];
  return line.href.empty() ? nullptr : &line;
}

void FollowLink(View& view, const PageLine& link) {
  const std::wstring target = link.target;
  if (!target.empty() && target != L"_self" && target != L"_top" && target != L"_parent") {
    OpenNewWindow(view, link.href, target, L"");
  } else {
    Navigate(view, UrlEntry(link.href), kNavLink, true);
  }
}

}  // namespace

STANDIN_EXPORT bool WKE_CALL wkeFireKeyDownEvent(WkeView handle, unsigned key, unsigned flags, bool systemKey) {
  View* view = Find(handle);
  bool consumed = false;
  if (view) {
    view->lastKey = L"down " + HexWord(key) + L" " + HexWord(flags);
    if (key == VK_BACK && !view->typed.empty()) view->typed.pop_back();
    consumed = IsEditingKey(key);
    MarkDirty(*view);
  }
  Log(L"wkeFireKeyDownEvent(" + V(handle) + L", " + I(key) + L", " + HexWord(flags) + L", " + B(systemKey) + L") -> " +
      B(consumed));
  return consumed;
}

STANDIN_EXPORT bool WKE_CALL wkeFireKeyUpEvent(WkeView handle, unsigned key, unsigned flags, bool systemKey) {
  View* view = Find(handle);
  bool consumed = false;
  if (view) {
    view->lastKey = L"up " + HexWord(key) + L" " + HexWord(flags);
    consumed = IsEditingKey(key);
    MarkDirty(*view);
  }
  Log(L"wkeFireKeyUpEvent(" + V(handle) + L", " + I(key) + L", " + HexWord(flags) + L", " + B(systemKey) + L") -> " +
      B(consumed));
  return consumed;
}

STANDIN_EXPORT bool WKE_CALL wkeFireKeyPressEvent(WkeView handle, unsigned character, unsigned flags, bool systemKey) {
  View* view = Find(handle);
  bool consumed = false;
  if (view && character >= 0x20) {
    view->typed += static_cast<wchar_t>(character);
    view->selectedAll = false;
    consumed = true;
    MarkDirty(*view);
  }
  Log(L"wkeFireKeyPressEvent(" + V(handle) + L", " + I(character) + L", " + HexWord(flags) + L", " + B(systemKey) +
      L") -> " + B(consumed));
  return consumed;
}

STANDIN_EXPORT bool WKE_CALL wkeFireMouseEvent(WkeView handle, unsigned message, int x, int y, unsigned flags) {
  LogCall(L"wkeFireMouseEvent", {V(handle), HexWord(message), I(x), I(y), HexWord(flags)});
  View* view = Find(handle);
  if (!view) return false;
  view->mouseMessage = message;
  view->mouseX = x;
  view->mouseY = y;
  view->mouseFlags = flags;
  MarkDirty(*view);
  if (message == WM_LBUTTONUP) {
    if (const PageLine* link = LinkAt(*view, x, y)) {
      const PageLine copy = *link;
      FollowLink(*view, copy);
    }
  }
  return true;
}

STANDIN_EXPORT bool WKE_CALL wkeFireContextMenuEvent(WkeView handle, int x, int y, unsigned flags) {
  LogCall(L"wkeFireContextMenuEvent", {V(handle), I(x), I(y), HexWord(flags)});
  View* view = Find(handle);
  if (!view) return false;
  view->lastMenu = L"(" + std::to_wstring(x) + L", " + std::to_wstring(y) + L") " + HexWord(flags);
  MarkDirty(*view);
  return true;
}

STANDIN_EXPORT bool WKE_CALL wkeFireMouseWheelEvent(WkeView handle, int x, int y, int delta, unsigned flags) {
  LogCall(L"wkeFireMouseWheelEvent", {V(handle), I(x), I(y), I(delta), HexWord(flags)});
  View* view = Find(handle);
  if (!view) return false;
  view->lastWheel = std::to_wstring(delta) + L" at (" + std::to_wstring(x) + L", " + std::to_wstring(y) + L")";
  const int limit = std::max(0, ContentHeight(*view) - view->height);
  view->scrollY = std::clamp(view->scrollY - delta * 48 / 120, 0, limit);
  MarkDirty(*view);
  return true;
}

STANDIN_EXPORT void WKE_CALL wkeSetFocus(WkeView handle) {
  LogCall(L"wkeSetFocus", {V(handle)});
  if (View* view = Find(handle)) {
    view->focused = true;
    MarkDirty(*view);
  }
}

STANDIN_EXPORT void WKE_CALL wkeKillFocus(WkeView handle) {
  LogCall(L"wkeKillFocus", {V(handle)});
  if (View* view = Find(handle)) {
    view->focused = false;
    MarkDirty(*view);
  }
}
// Editing works on the typed text.
STANDIN_EXPORT void WKE_CALL wkeEditorSelectAll(WkeView handle) {
  LogCall(L"wkeEditorSelectAll", {V(handle)});
  if (View* view = Find(handle)) {
    view->selectedAll = true;
    MarkDirty(*view);
  }
}

STANDIN_EXPORT void WKE_CALL wkeEditorCopy(WkeView handle) {
  LogCall(L"wkeEditorCopy", {V(handle)});
  if (View* view = Find(handle); view && view->selectedAll) view->clipboard = view->typed;
}

STANDIN_EXPORT void WKE_CALL wkeEditorDelete(WkeView handle) {
  LogCall(L"wkeEditorDelete", {V(handle)});
  if (View* view = Find(handle); view && view->selectedAll) {
    view->typed.clear();
    view->selectedAll = false;
    MarkDirty(*view);
  }
}

STANDIN_EXPORT void WKE_CALL wkeEditorCut(WkeView handle) {
  LogCall(L"wkeEditorCut", {V(handle)});
  if (View* view = Find(handle); view && view->selectedAll) {
    view->clipboard = view->typed;
    view->typed.clear();
    view->selectedAll = false;
    MarkDirty(*view);
  }
}

STANDIN_EXPORT void WKE_CALL wkeEditorPaste(WkeView handle) {
  LogCall(L"wkeEditorPaste", {V(handle)});
  if (View* view = Find(handle)) {
    if (view->selectedAll) view->typed.clear();
    view->typed += view->clipboard;
    view->selectedAll = false;
    MarkDirty(*view);
  }
}
