// Late-bound calls on automation objects: members named by their text, looked
// up and invoked through IDispatch, with the fall-backs between property and
// method that automation servers differ on.
#pragma once
#include <windows.h>
#include <oaidl.h>

#include <atomic>
#include <string>
#include <vector>

#include "platform/Handles.h"
#include "platform/Variant.h"

// Creates the object registered under `progId`; empty when there is none or
// it cannot be started.
ComPtr<IDispatch> CreateAutomationObject(const wchar_t* progId);

// Reads a property; when the object refuses the read, calls the member as a
// method instead. `result` may be null. A null target does nothing.
HRESULT AutomationGet(IDispatch* target, const wchar_t* member, Variant* result);

// Calls a method with its arguments in their written order; when the object
// refuses the call, reads the member as a property instead.
HRESULT AutomationCall(IDispatch* target, const wchar_t* member, std::vector<Variant>& arguments,
                       Variant* result = nullptr);
HRESULT AutomationCall(IDispatch* target, const wchar_t* member, Variant* result = nullptr);

// Writes a property; when the object refuses, writes it by reference instead.
HRESULT AutomationPut(IDispatch* target, const wchar_t* member, Variant& value);

// The object a result holds, as an IDispatch reference; the variant is
// cleared either way. Empty when it holds no object.
ComPtr<IDispatch> TakeObject(Variant& value);

// Bounds the automation calls this thread makes into another program, as the
// apartment's message filter while it lives (one at a time a thread). A call
// the server rejects because it is busy is tried again until the deadline; a
// call still waiting for its answer at the deadline, or once Cancel was asked
// for, is given up (it fails with RPC_E_CALL_CANCELED). Calls into a server
// loaded in this process are direct and cannot be bounded this way.
class CallDeadline final : public IMessageFilter {
 public:
  explicit CallDeadline(DWORD fromNowMs);
  ~CallDeadline();
  CallDeadline(const CallDeadline&) = delete;
  CallDeadline& operator=(const CallDeadline&) = delete;

  // A new deadline; a cancel asked for before is forgotten.
  void Reset(DWORD fromNowMs);
  // Any thread: gives up the call waiting now and every later one. The
  // thread notices at its next message: post it one.
  void Cancel() { cancelled_ = true; }
  bool Passed() const;

  // The deadline of the calling thread, if it has one.
  static CallDeadline* OfThisThread();

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  // Lives on its owner's stack: COM's references do not decide its life.
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  DWORD STDMETHODCALLTYPE HandleInComingCall(DWORD type, HTASK caller, DWORD tickCount, LPINTERFACEINFO info) override;
  DWORD STDMETHODCALLTYPE RetryRejectedCall(HTASK callee, DWORD tickCount, DWORD rejectType) override;
  DWORD STDMETHODCALLTYPE MessagePending(HTASK callee, DWORD tickCount, DWORD pendingType) override;

 private:
  std::atomic<ULONGLONG> deadline_;
  std::atomic<bool> cancelled_{false};
  IMessageFilter* previous_ = nullptr;
  bool registered_ = false;
};

// How long a rejected call waits before it is tried again.
constexpr DWORD kRejectedCallRetryMs = 250;
