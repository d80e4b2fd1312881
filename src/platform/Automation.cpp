#include "platform/Automation.h"

#include <oleauto.h>

#include <utility>

#include "platform/ComPointers.h"
#include "platform/DispatchArguments.h"

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

// One Invoke, with the arguments in their written order.
HRESULT Invoke(IDispatch* target, DISPID id, WORD kind, std::vector<Variant>* arguments, Variant* result) {
  CallParameters parameters(arguments, kind);
  Variant ignored;
  Variant* out = result ? result : &ignored;
  ExceptionInfo exception;
  UINT badArgument = 0;
  return target->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, kind, parameters.Get(), out->Put(), exception.Get(),
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
  if (v.vt == VT_DISPATCH) {
    object = QueryComPtr<IDispatch>(v.pdispVal);
  } else if (v.vt == VT_UNKNOWN) {
    object = QueryComPtr<IDispatch>(v.punkVal);
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
