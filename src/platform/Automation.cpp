#include "platform/Automation.h"

#include <oleauto.h>

#include <utility>

namespace {

// Clears the texts an automation error may carry.
class ExceptionInfo {
 public:
  ExceptionInfo() = default;
  ~ExceptionInfo() {
    SysFreeString(info_.bstrSource);
    SysFreeString(info_.bstrDescription);
    SysFreeString(info_.bstrHelpFile);
  }
  ExceptionInfo(const ExceptionInfo&) = delete;
  ExceptionInfo& operator=(const ExceptionInfo&) = delete;
  EXCEPINFO* Get() { return &info_; }

 private:
  EXCEPINFO info_{};
};

HRESULT LookUp(IDispatch* target, const wchar_t* member, DISPID* id) {
  std::wstring name(member);
  LPOLESTR names[] = {name.data()};
  return target->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, id);
}

// One Invoke. `arguments` are in their written order; IDispatch takes them last first.
HRESULT Invoke(IDispatch* target, DISPID id, WORD kind, std::vector<Variant>* arguments, Variant* result) {
  std::vector<VARIANTARG> reversed;
  if (arguments) {
    for (auto it = arguments->rbegin(); it != arguments->rend(); ++it) reversed.push_back(it->Ref());
  }
  DISPPARAMS parameters{};
  parameters.rgvarg = reversed.empty() ? nullptr : reversed.data();
  parameters.cArgs = static_cast<UINT>(reversed.size());
  DISPID putId = DISPID_PROPERTYPUT;
  if (kind == DISPATCH_PROPERTYPUT || kind == DISPATCH_PROPERTYPUTREF) {
    parameters.rgdispidNamedArgs = &putId;
    parameters.cNamedArgs = 1;
  }
  Variant ignored;
  Variant* out = result ? result : &ignored;
  ExceptionInfo exception;
  UINT badArgument = 0;
  // The arguments stay owned by `arguments`: the copies above share their
  // contents, and Invoke does not free what it is given.
  return target->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, kind, &parameters, out->Put(), exception.Get(),
                        &badArgument);
}

thread_local CallDeadline* threadDeadline = nullptr;

bool Rejected(HRESULT hr) { return hr == RPC_E_CALL_REJECTED || hr == RPC_E_SERVERCALL_RETRYLATER; }

// A busy server's rejection reaches the caller as the call's result where the
// message filter was not asked (a server loaded in this process, or a COM
// that does not retry): tried again here on the same terms.
template <typename Call>
HRESULT RetryingRejections(Call call) {
  for (;;) {
    const HRESULT hr = call();
    CallDeadline* deadline = threadDeadline;
    if (!Rejected(hr) || !deadline || deadline->Passed()) return hr;
    Sleep(kRejectedCallRetryMs);
  }
}

HRESULT InvokeWithFallback(IDispatch* target, const wchar_t* member, WORD first, WORD second,
                           std::vector<Variant>* arguments, Variant* result) {
  if (!target) return E_POINTER;
  DISPID id = DISPID_UNKNOWN;
  const HRESULT found = RetryingRejections([&] { return LookUp(target, member, &id); });
  if (FAILED(found)) return found;
  const HRESULT hr = RetryingRejections([&] { return Invoke(target, id, first, arguments, result); });
  if (SUCCEEDED(hr) || Rejected(hr) || hr == RPC_E_CALL_CANCELED) return hr;
  return RetryingRejections([&] { return Invoke(target, id, second, arguments, result); });
}

}  // namespace

Variant::Variant(bool value) : Variant() {
  value_.vt = VT_BOOL;
  value_.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
}

Variant::Variant(int value) : Variant() {
  value_.vt = VT_I4;
  value_.lVal = value;
}

Variant::Variant(const std::wstring& text) : Variant() {
  value_.vt = VT_BSTR;
  value_.bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
}

Variant::Variant(Variant&& other) noexcept : Variant() { std::swap(value_, other.value_); }

Variant& Variant::operator=(Variant&& other) noexcept {
  if (this != &other) {
    VariantClear(&value_);
    std::swap(value_, other.value_);
  }
  return *this;
}

VARIANT* Variant::Put() {
  VariantClear(&value_);
  return &value_;
}

ComPtr<IDispatch> CreateAutomationObject(const wchar_t* progId) {
  ComPtr<IDispatch> object;
  CLSID classId{};
  if (FAILED(CLSIDFromProgID(progId, &classId))) return object;
  // Local servers (a separate program) and in-process ones alike.
  CoCreateInstance(classId, nullptr, CLSCTX_SERVER, IID_IDispatch, object.PutVoid());
  return object;
}

HRESULT AutomationGet(IDispatch* target, const wchar_t* member, Variant* result) {
  return InvokeWithFallback(target, member, DISPATCH_PROPERTYGET, DISPATCH_METHOD, nullptr, result);
}

HRESULT AutomationCall(IDispatch* target, const wchar_t* member, std::vector<Variant>& arguments, Variant* result) {
  return InvokeWithFallback(target, member, DISPATCH_METHOD, DISPATCH_PROPERTYGET, &arguments, result);
}

HRESULT AutomationCall(IDispatch* target, const wchar_t* member, Variant* result) {
  std::vector<Variant> none;
  return AutomationCall(target, member, none, result);
}

HRESULT AutomationPut(IDispatch* target, const wchar_t* member, Variant& value) {
  std::vector<Variant> arguments;
  arguments.push_back(std::move(value));
  const HRESULT hr = InvokeWithFallback(target, member, DISPATCH_PROPERTYPUT, DISPATCH_PROPERTYPUTREF, &arguments,
                                        nullptr);
  value = std::move(arguments.front());
  return hr;
}

ComPtr<IDispatch> TakeObject(Variant& value) {
  ComPtr<IDispatch> object;
  const VARIANT& v = value.Ref();
  if (v.vt == VT_DISPATCH && v.pdispVal) {
    v.pdispVal->QueryInterface(IID_IDispatch, object.PutVoid());
  } else if (v.vt == VT_UNKNOWN && v.punkVal) {
    v.punkVal->QueryInterface(IID_IDispatch, object.PutVoid());
  }
  value.Put();
  return object;
}

// --- the deadline of a thread's calls -------------------------------------------

CallDeadline::CallDeadline(DWORD fromNowMs) : deadline_(GetTickCount64() + fromNowMs) {
  // Only an apartment of one thread has a message filter; the retries of
  // rejected calls here apply anyway.
  registered_ = SUCCEEDED(CoRegisterMessageFilter(this, &previous_));
  threadDeadline = this;
}

CallDeadline::~CallDeadline() {
  threadDeadline = nullptr;
  if (!registered_) return;
  IMessageFilter* mine = nullptr;
  CoRegisterMessageFilter(previous_, &mine);
  if (previous_) previous_->Release();
}

void CallDeadline::Reset(DWORD fromNowMs) {
  deadline_ = GetTickCount64() + fromNowMs;
  cancelled_ = false;
}

bool CallDeadline::Passed() const { return cancelled_ || GetTickCount64() >= deadline_.load(); }

CallDeadline* CallDeadline::OfThisThread() { return threadDeadline; }

HRESULT CallDeadline::QueryInterface(REFIID iid, void** object) {
  if (!object) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IMessageFilter)) {
    *object = static_cast<IMessageFilter*>(this);
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

DWORD CallDeadline::HandleInComingCall(DWORD, HTASK, DWORD, LPINTERFACEINFO) { return SERVERCALL_ISHANDLED; }

DWORD CallDeadline::RetryRejectedCall(HTASK, DWORD, DWORD) {
  // -1 gives the call up; a number of 100 or more is the wait before trying again.
  return Passed() ? static_cast<DWORD>(-1) : kRejectedCallRetryMs;
}

DWORD CallDeadline::MessagePending(HTASK, DWORD, DWORD) {
  return Passed() ? PENDINGMSG_CANCELCALL : PENDINGMSG_WAITDEFPROCESS;
}
