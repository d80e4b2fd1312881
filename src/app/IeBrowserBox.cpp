#include "app/IeBrowserBox.h"

#include <exdisp.h>
#include <exdispid.h>

#include <utility>

#include "platform/BaseWindow.h"
#include "platform/Bstr.h"
#include "platform/ComObject.h"
#include "platform/ComPointers.h"
#include "platform/DispatchArguments.h"
#include "platform/Handles.h"
#include "platform/NoMemory.h"
#include "platform/Text.h"
#include "platform/Variant.h"

namespace {

const wchar_t kBoxClassName[] = L"TavrelBrowserBox";

// Posted to the container: run the navigation asked for from inside a control event.
constexpr UINT kMsgNavigatePending = WM_APP + 1;
// Posted to the container: the new-window request being answered is over.
constexpr UINT kMsgNewWindowDone = WM_APP + 2;

}  // namespace

struct IeBrowserBox::Impl : BaseWindow<IeBrowserBox::Impl> {
  // Which of the two new-window events opened the request being answered.
  enum class NewWindowEvent { kNone, kNewWindow2, kNewWindow3 };

  // The COM objects the box hands to the control hold a pointer back to the box. Destroy
  // takes every reference back; should the control keep one anyway, the box forgets the
  // object as it goes, and what the control asks of it then fails.
  class ClientSite final : public ComObject<IOleClientSite, WithBases<IOleInPlaceSite, IOleWindow>> {
   public:
    explicit ClientSite(Impl* box) : box_(box) {}
    void Forget() { box_ = nullptr; }

    // IOleClientSite
    STDMETHODIMP SaveObject() override { return E_NOTIMPL; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** out) override {
      if (out) *out = nullptr;
      return E_NOTIMPL;
    }
    STDMETHODIMP GetContainer(IOleContainer** out) override {
      if (out) *out = nullptr;
      return E_NOINTERFACE;
    }
    STDMETHODIMP ShowObject() override { return S_OK; }
    STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
    STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }

    // IOleWindow
    STDMETHODIMP GetWindow(HWND* out) override {
      if (!out) return E_POINTER;
      *out = box_ ? box_->window.Get() : nullptr;
      return *out ? S_OK : E_FAIL;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

    // IOleInPlaceSite
    STDMETHODIMP CanInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnUIActivate() override { return S_OK; }
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, LPRECT position,
                                  LPRECT clip, LPOLEINPLACEFRAMEINFO info) override {
      if (!frame || !document || !position || !clip || !info) return E_POINTER;
      if (!box_) return E_UNEXPECTED;
      *frame = box_->frame.Get();
      (*frame)->AddRef();
      *document = nullptr;
      GetClientRect(box_->window.Get(), position);
      *clip = *position;
      info->fMDIApp = FALSE;
      info->hwndFrame = GetAncestor(box_->window.Get(), GA_ROOT);
      info->haccel = nullptr;
      info->cAccelEntries = 0;
      return S_OK;
    }
    STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
    STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
    STDMETHODIMP OnInPlaceDeactivate() override {
      if (box_) box_->activeObject.Reset();
      return S_OK;
    }
    STDMETHODIMP DiscardUndoState() override { return E_NOTIMPL; }
    STDMETHODIMP DeactivateAndUndo() override { return E_NOTIMPL; }
    STDMETHODIMP OnPosRectChange(LPCRECT position) override {
      // The container decides the size: the control always fills it.
      if (position && box_) box_->FitControl();
      return S_OK;
    }

   private:
    Impl* box_;
  };

  // The frame the control sees: it has no menus, toolbars or border space of its own.
  class Frame final : public ComObject<WithBases<IOleInPlaceFrame, IOleInPlaceUIWindow, IOleWindow>> {
   public:
    explicit Frame(Impl* box) : box_(box) {}
    void Forget() { box_ = nullptr; }

    STDMETHODIMP GetWindow(HWND* out) override {
      if (!out) return E_POINTER;
      *out = box_ ? GetAncestor(box_->window.Get(), GA_ROOT) : nullptr;
      return *out ? S_OK : E_FAIL;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
    STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject* active, LPCOLESTR) override {
      if (box_) box_->activeObject = ShareComPtr(active);
      return S_OK;
    }
    STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
    STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
    STDMETHODIMP RemoveMenus(HMENU) override { return E_NOTIMPL; }
    STDMETHODIMP SetStatusText(LPCOLESTR) override { return S_OK; }
    STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
    STDMETHODIMP TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

   private:
    Impl* box_;
  };

  class EventSink final : public ComObject<WithBases<DWebBrowserEvents2, IDispatch>> {
   public:
    explicit EventSink(Impl* box) : box_(box) {}
    void Forget() { box_ = nullptr; }

    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
      if (count) *count = 0;
      return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** out) override {
      if (out) *out = nullptr;
      return E_NOTIMPL;
    }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                        UINT*) override {
      if (result) VariantInit(result);
      // Called by the browser inside its own message handling: an event whose
      // handler runs out of memory is left unanswered.
      if (params && box_) RunReportingNoMemory([&] { box_->OnEvent(id, ReceivedArguments(*params)); });
      return S_OK;
    }

   private:
    Impl* box_;
  };

  Impl() {
    site.Attach(new ClientSite(this));
    frame.Attach(new Frame(this));
    sink.Attach(new EventSink(this));
  }
  ~Impl() {
    Destroy();
    site->Forget();
    frame->Forget();
    sink->Forget();
  }
  Impl(const Impl&) = delete;
  Impl& operator=(const Impl&) = delete;

  void Destroy() {
    ReleaseControl();
    window.Reset();
  }

  // The container window, with this object behind it.
  bool CreateContainer(HWND parent, int x, int y, int width, int height, int controlId) {
    const WindowClassLook look{LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW)),
                               reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1)};
    const DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
    window.Reset(CreateObjectWindow(kBoxClassName, look, 0, L"", style, x, y, width, height, parent,
                                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId))));
    return window.Get() != nullptr;
  }

  // Takes back every reference handed to the control and lets the control go. Runs from
  // Destroy and from the container's WM_DESTROY, when the control's window still exists.
  void ReleaseControl() {
    if (connectionPoint) {
      connectionPoint->Unadvise(adviseCookie);
      connectionPoint.Reset();
      adviseCookie = 0;
    }
    if (inPlaceObject) {
      inPlaceObject->InPlaceDeactivate();
      inPlaceObject.Reset();
    }
    activeObject.Reset();
    browser.Reset();
    if (oleObject) {
      oleObject->Close(OLECLOSE_NOSAVE);
      oleObject->SetClientSite(nullptr);
      oleObject.Reset();
    }
    navigationPending = false;
    pendingUrl.clear();
    openRequest = NewWindowEvent::kNone;
  }

  void FitControl() {
    if (!inPlaceObject || !window.Get()) return;
    RECT client{};
    GetClientRect(window.Get(), &client);
    inPlaceObject->SetObjectRects(&client, &client);
  }

  void UiActivate() {
    if (!oleObject || !window.Get()) return;
    RECT client{};
    GetClientRect(window.Get(), &client);
    oleObject->DoVerb(OLEIVERB_UIACTIVATE, nullptr, site.Get(), 0, window.Get(), &client);
  }

  void Navigate(const std::wstring& url) {
    if (!browser) return;
    Bstr address(url);
    Variant none;
    browser->Navigate(address.Get(), none.Get(), none.Get(), none.Get(), none.Get());
  }

  void OnEvent(DISPID id, const ReceivedArguments& args) {
    // Anything a handler asks of the control is deferred while the control is inside
    // one of its own events (see SetAddress).
    ++eventDepth;
    const UINT count = args.Count();
    switch (id) {
      case DISPID_BEFORENAVIGATE2:  // pDisp, URL, Flags, TargetFrameName, PostData, Headers, Cancel
        if (count == 7) OnBeforeNavigate(args.Object(0), args.Text(1));
        break;
      case DISPID_STATUSTEXTCHANGE:  // Text
        if (count == 1) statusText = args.Text(0);
        break;
      case DISPID_NEWWINDOW2:  // ppDisp, Cancel
        if (count == 2) OnNewWindow(NewWindowEvent::kNewWindow2, std::wstring(), args.BoolRef(1));
        break;
      case DISPID_NEWWINDOW3:  // ppDisp, Cancel, dwFlags, bstrUrlContext, bstrUrl
        if (count == 5) OnNewWindow(NewWindowEvent::kNewWindow3, args.Text(4), args.BoolRef(1));
        break;
      default:
        break;
    }
    --eventDepth;
  }

  void OnBeforeNavigate(IDispatch* target, const std::wstring& url) {
    // Frames inside the page navigate too; only the page itself is the box's address.
    if (target && browser && !SameComObject(target, browser.Get())) return;
    ShowAddress(url);
    if (beforeNavigateHandler) {
      const auto handler = beforeNavigateHandler;  // the handler may replace itself
      handler(WideToGbk(url));
    }
  }

  // One request for a new window may come as NewWindow2, as NewWindow3, or as both (the
  // documentation says NewWindow3 comes instead of NewWindow2 since XP SP2; older controls
  // raise only NewWindow2). Whichever comes first asks the handler, with the URL it carries;
  // the other event of the same request gets the same answer without asking again. The
  // request ends when the control returns to the message loop.
  void OnNewWindow(NewWindowEvent kind, const std::wstring& url, VARIANT_BOOL* cancel) {
    bool allow = true;
    if (openRequest != NewWindowEvent::kNone && openRequest != kind) {
      allow = openAnswer;
      openRequest = NewWindowEvent::kNone;
    } else {
      if (newWindowHandler) {
        const auto handler = newWindowHandler;
        allow = handler(WideToGbk(url));
      }
      openRequest = kind;
      openAnswer = allow;
      if (window.Get()) PostMessageW(window.Get(), kMsgNewWindowDone, 0, 0);
    }
    // Refused: no window and no dispatch of a new browser is handed back.
    if (!allow && cancel) *cancel = VARIANT_TRUE;
  }

  // The container's text is the address the box was last asked to show, so that a test
  // program in another process can read it with WM_GETTEXT.
  void ShowAddress(const std::wstring& url) {
    if (window.Get()) SetWindowTextW(window.Get(), url.c_str());
  }

  void SetAddress(const std::wstring& url) {
    if (!window.Get()) return;
    ShowAddress(url);
    if (eventDepth > 0) {
      // Navigating from inside the control's own event (the new-window handler opens the
      // page in place) would re-enter the control half-way through that event: run it
      // once the control is back in the message loop. The last address asked for wins.
      pendingUrl = url;
      if (!navigationPending) {
        navigationPending = true;
        PostMessageW(window.Get(), kMsgNavigatePending, 0, 0);
      }
      return;
    }
    navigationPending = false;
    pendingUrl.clear();
    Navigate(url);
  }

  LRESULT HandleMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
      case WM_SIZE:
        FitControl();
        return 0;
      case WM_SETFOCUS:
        // Focus given to the box itself (a page switch, Tab) belongs to the page in it.
        UiActivate();
        return 0;
      case kMsgNavigatePending:
        if (navigationPending) {
          navigationPending = false;
          const std::wstring url = std::move(pendingUrl);
          pendingUrl.clear();
          Navigate(url);
        }
        return 0;
      case kMsgNewWindowDone:
        openRequest = NewWindowEvent::kNone;
        return 0;
      case WM_DESTROY:
        // The parent may be going away first: the control must leave while its window lives.
        ReleaseControl();
        break;
      case WM_NCDESTROY:
        if (window.Get() == hwnd) window.Release();
        break;
      default:
        break;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
  }

  OwnedWindow window;
  ComPtr<IOleObject> oleObject;
  ComPtr<IOleInPlaceObject> inPlaceObject;
  ComPtr<IOleInPlaceActiveObject> activeObject;
  ComPtr<IWebBrowser2> browser;
  ComPtr<IConnectionPoint> connectionPoint;
  DWORD adviseCookie = 0;

  std::wstring statusText;
  std::function<bool(const std::string&)> newWindowHandler;
  std::function<void(const std::string&)> beforeNavigateHandler;

  int eventDepth = 0;
  bool navigationPending = false;
  std::wstring pendingUrl;
  NewWindowEvent openRequest = NewWindowEvent::kNone;
  bool openAnswer = true;

  ComPtr<ClientSite> site;
  ComPtr<Frame> frame;
  ComPtr<EventSink> sink;
};

IeBrowserBox::IeBrowserBox() : impl_(std::make_unique<Impl>()) {}
IeBrowserBox::~IeBrowserBox() = default;
IeBrowserBox::IeBrowserBox(IeBrowserBox&&) noexcept = default;
IeBrowserBox& IeBrowserBox::operator=(IeBrowserBox&&) noexcept = default;

bool IeBrowserBox::Create(HWND parent, int x, int y, int width, int height, int controlId) {
  if (!impl_ || impl_->window.Get()) return false;
  Impl& box = *impl_;
  if (!box.CreateContainer(parent, x, y, width, height, controlId)) return false;

  if (FAILED(CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                              box.oleObject.PutVoid()))) {
    Destroy();
    return false;
  }
  box.oleObject->SetClientSite(box.site.Get());
  OleSetContainedObject(box.oleObject.Get(), TRUE);
  box.browser = QueryComPtr<IWebBrowser2>(box.oleObject.Get());

  // Connected before activation so that no event is missed.
  if (auto container = QueryComPtr<IConnectionPointContainer>(box.oleObject.Get())) {
    if (SUCCEEDED(container->FindConnectionPoint(DIID_DWebBrowserEvents2, box.connectionPoint.Put()))) {
      if (FAILED(box.connectionPoint->Advise(box.sink.Get(), &box.adviseCookie))) box.connectionPoint.Reset();
    }
  }

  RECT client{};
  GetClientRect(box.window.Get(), &client);
  if (!box.browser || !box.connectionPoint ||
      FAILED(box.oleObject->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, box.site.Get(), 0, box.window.Get(), &client))) {
    Destroy();
    return false;
  }
  box.inPlaceObject = QueryComPtr<IOleInPlaceObject>(box.oleObject.Get());
  box.FitControl();
  return true;
}

void IeBrowserBox::Destroy() {
  if (impl_) impl_->Destroy();
}

HWND IeBrowserBox::Window() const { return impl_ ? impl_->window.Get() : nullptr; }

void IeBrowserBox::SetAddress(const std::string& gbkUrl) {
  if (impl_) impl_->SetAddress(GbkToWide(gbkUrl));
}

std::string IeBrowserBox::Address() const {
  if (!impl_ || !impl_->browser) return {};
  Bstr url;
  if (FAILED(impl_->browser->get_LocationURL(url.Put()))) return {};
  return WideToGbk(url.Text());
}

std::string IeBrowserBox::StatusText() const { return impl_ ? WideToGbk(impl_->statusText) : std::string(); }

void IeBrowserBox::GoBack() {
  if (impl_ && impl_->browser) impl_->browser->GoBack();
}

void IeBrowserBox::GoForward() {
  if (impl_ && impl_->browser) impl_->browser->GoForward();
}

void IeBrowserBox::Refresh() {
  if (impl_ && impl_->browser) impl_->browser->Refresh();
}

void IeBrowserBox::SetNewWindowHandler(std::function<bool(const std::string& eventUrl)> handler) {
  if (impl_) impl_->newWindowHandler = std::move(handler);
}

void IeBrowserBox::SetBeforeNavigateHandler(std::function<void(const std::string& url)> handler) {
  if (impl_) impl_->beforeNavigateHandler = std::move(handler);
}

IDispatch* IeBrowserBox::EventSink() { return impl_ ? impl_->sink.Get() : nullptr; }

unsigned long IeBrowserBox::HeldReferences() const {
  if (!impl_) return 0;
  // Each object's count less the box's own reference.
  return impl_->site->References() + impl_->frame->References() + impl_->sink->References() - 3;
}

bool IeBrowserBox::TranslateAccelerator(MSG* msg) {
  if (!impl_ || !msg || !impl_->browser) return false;
  if (msg->message < WM_KEYFIRST || msg->message > WM_KEYLAST) return false;
  const HWND box = impl_->window.Get();
  if (!box || (msg->hwnd != box && !IsChild(box, msg->hwnd))) return false;
  // The control names its active object when it is UI-active; ask it directly otherwise.
  auto active = impl_->activeObject
                    ? ShareComPtr(impl_->activeObject.Get())
                    : QueryComPtr<IOleInPlaceActiveObject>(impl_->browser.Get());
  return active && active->TranslateAccelerator(msg) == S_OK;
}
