// Late-bound calls against an automation object of the test's own: the member
// looked up by name, arguments in their written order, and the fall-backs
// between property read, method call and put by reference. And the owned BSTR,
// and the arguments packed for a call and read back by the callee.
#include <windows.h>
#include <ole2.h>
#include <oleauto.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "check.h"
#include "platform/Automation.h"
#include "platform/Bstr.h"
#include "platform/DispatchArguments.h"

namespace {

struct Member {
  std::wstring name;
  WORD answers;  // the DISPATCH_ kinds it accepts
};

struct Call {
  std::wstring member;
  WORD kind;
  std::vector<std::wstring> arguments;  // written order
  bool putNamed;                        // a put carried the DISPID_PROPERTYPUT name
  bool operator==(const Call& other) const {
    return member == other.member && kind == other.kind && arguments == other.arguments && putNamed == other.putNamed;
  }
};

std::string Show(const Call& call) {
  std::string out = check::Show(call.member) + " kind " + std::to_string(call.kind) + " " + check::Show(call.arguments);
  return out + (call.putNamed ? " (named put)" : "");
}

std::wstring Describe(const VARIANT& v) {
  if (v.vt == VT_BSTR) return std::wstring(L"s:") + (v.bstrVal ? v.bstrVal : L"");
  if (v.vt == VT_BOOL) return v.boolVal ? L"true" : L"false";
  if (v.vt == VT_I4) return L"i:" + std::to_wstring(v.lVal);
  return L"vt" + std::to_wstring(v.vt);
}

// Records every lookup and invocation; answers a read with the member's name
// as text, or with another fake object for members named "Child".
class FakeObject final : public IDispatch {
 public:
  explicit FakeObject(std::vector<Member> members) : members_(std::move(members)) {}
  std::vector<Call> calls;
  std::vector<std::wstring> lookups;
  ULONG references = 1;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch)) {
      *object = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  // Lives on the test's stack; only the count is kept.
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
  ULONG STDMETHODCALLTYPE Release() override { return --references; }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT, LCID, DISPID* ids) override {
    lookups.push_back(names[0]);
    for (size_t i = 0; i < members_.size(); ++i) {
      if (members_[i].name == names[0]) {
        ids[0] = static_cast<DISPID>(i + 1);
        return S_OK;
      }
    }
    ids[0] = DISPID_UNKNOWN;
    return DISP_E_UNKNOWNNAME;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD kind, DISPPARAMS* parameters, VARIANT* result,
                                   EXCEPINFO*, UINT*) override {
    const Member& member = members_.at(static_cast<size_t>(id - 1));
    Call call{member.name, kind, {}, false};
    for (UINT i = parameters->cArgs; i > 0; --i) call.arguments.push_back(Describe(parameters->rgvarg[i - 1]));
    call.putNamed = parameters->cNamedArgs == 1 && parameters->rgdispidNamedArgs[0] == DISPID_PROPERTYPUT;
    calls.push_back(call);
    if (rejections > 0) {
      --rejections;
      return RPC_E_CALL_REJECTED;
    }
    if (!(member.answers & kind)) return DISP_E_MEMBERNOTFOUND;
    if (result && (kind == DISPATCH_PROPERTYGET || kind == DISPATCH_METHOD)) {
      if (member.name == L"Child") {
        result->vt = VT_DISPATCH;
        result->pdispVal = child;
        if (child) child->AddRef();
      } else {
        result->vt = VT_BSTR;
        result->bstrVal = SysAllocString(member.name.c_str());
      }
    }
    return S_OK;
  }

  IDispatch* child = nullptr;
  // Calls still to be rejected, as by a busy server.
  int rejections = 0;

 private:
  std::vector<Member> members_;
};

constexpr WORD kGet = DISPATCH_PROPERTYGET;
constexpr WORD kMethod = DISPATCH_METHOD;
constexpr WORD kPut = DISPATCH_PROPERTYPUT;
constexpr WORD kPutRef = DISPATCH_PROPERTYPUTREF;

std::wstring TextOf(const Variant& value) {
  return value.Type() == VT_BSTR ? std::wstring(value.Ref().bstrVal) : L"(not text)";
}

TEST(GetReadsThePropertyFirst) {
  FakeObject object({{L"Name", kGet | kMethod}});
  Variant result;
  CHECK_EQ(AutomationGet(&object, L"Name", &result), S_OK);
  CHECK_EQ(TextOf(result), std::wstring(L"Name"));
  CHECK_EQ(object.calls, (std::vector<Call>{{L"Name", kGet, {}, false}}));
}

TEST(GetFallsBackToAMethodCall) {
  FakeObject object({{L"Copy", kMethod}});
  Variant result;
  CHECK_EQ(AutomationGet(&object, L"Copy", &result), S_OK);
  CHECK_EQ(object.calls, (std::vector<Call>{{L"Copy", kGet, {}, false}, {L"Copy", kMethod, {}, false}}));
  CHECK_EQ(TextOf(result), std::wstring(L"Copy"));
  CHECK_EQ(object.lookups.size(), size_t{1});
}

TEST(CallPassesTheArgumentsInTheirWrittenOrder) {
  FakeObject object({{L"Open", kMethod}});
  std::vector<Variant> arguments;
  arguments.emplace_back(std::wstring(L"C:\\题库\\a.doc"));
  arguments.emplace_back(false);
  arguments.emplace_back(true);
  CHECK_EQ(AutomationCall(&object, L"Open", arguments), S_OK);
  CHECK_EQ(object.calls, (std::vector<Call>{{L"Open", kMethod, {L"s:C:\\题库\\a.doc", L"false", L"true"}, false}}));
  // The caller's arguments are still its own afterwards.
  CHECK_EQ(arguments[0].Type(), VARTYPE{VT_BSTR});
  CHECK_EQ(std::wstring(arguments[0].Ref().bstrVal), std::wstring(L"C:\\题库\\a.doc"));
}

TEST(CallFallsBackToAPropertyRead) {
  FakeObject object({{L"Documents", kGet}});
  Variant result;
  CHECK_EQ(AutomationCall(&object, L"Documents", &result), S_OK);
  CHECK_EQ(object.calls, (std::vector<Call>{{L"Documents", kMethod, {}, false}, {L"Documents", kGet, {}, false}}));
  CHECK_EQ(TextOf(result), std::wstring(L"Documents"));
}

TEST(PutWritesWithThePropertyPutName) {
  FakeObject object({{L"Visible", kPut}});
  Variant value(false);
  CHECK_EQ(AutomationPut(&object, L"Visible", value), S_OK);
  CHECK_EQ(object.calls, (std::vector<Call>{{L"Visible", kPut, {L"false"}, true}}));
  CHECK_EQ(value.Type(), VARTYPE{VT_BOOL});
}

TEST(PutFallsBackToAPutByReference) {
  FakeObject object({{L"Font", kPutRef}});
  Variant value(std::wstring(L"宋体"));
  CHECK_EQ(AutomationPut(&object, L"Font", value), S_OK);
  CHECK_EQ(object.calls, (std::vector<Call>{{L"Font", kPut, {L"s:宋体"}, true}, {L"Font", kPutRef, {L"s:宋体"}, true}}));
}

TEST(BothKindsRefusedGivesTheFailure) {
  FakeObject object({{L"Quit", 0}});
  CHECK_EQ(AutomationCall(&object, L"Quit"), DISP_E_MEMBERNOTFOUND);
  CHECK_EQ(object.calls.size(), size_t{2});
}

TEST(AnUnknownNameIsNotInvoked) {
  FakeObject object({{L"Quit", kMethod}});
  CHECK_EQ(AutomationCall(&object, L"Close"), DISP_E_UNKNOWNNAME);
  CHECK(object.calls.empty());
  CHECK_EQ(object.lookups, (std::vector<std::wstring>{L"Close"}));
}

TEST(AnEmptyTargetDoesNothing) {
  Variant result;
  CHECK_EQ(AutomationGet(nullptr, L"Content", &result), E_POINTER);
  CHECK_EQ(result.Type(), VARTYPE{VT_EMPTY});
  CHECK(!TakeObject(result));
  Variant value(true);
  CHECK_EQ(AutomationPut(nullptr, L"Visible", value), E_POINTER);
}

TEST(TakeObjectKeepsOneReferenceAndClearsTheVariant) {
  FakeObject child({});
  FakeObject parent({{L"Child", kGet}});
  parent.child = &child;
  {
    Variant result;
    CHECK_EQ(AutomationGet(&parent, L"Child", &result), S_OK);
    CHECK_EQ(child.references, ULONG{2});
    ComPtr<IDispatch> object = TakeObject(result);
    CHECK(object.Get() == &child);
    CHECK_EQ(result.Type(), VARTYPE{VT_EMPTY});
    CHECK_EQ(child.references, ULONG{2});  // the variant's reference went, the pointer's came
  }
  CHECK_EQ(child.references, ULONG{1});
}

TEST(TakeObjectOfTextGivesNothing) {
  FakeObject object({{L"Name", kGet}});
  Variant result;
  AutomationGet(&object, L"Name", &result);
  CHECK(!TakeObject(result));
  CHECK_EQ(result.Type(), VARTYPE{VT_EMPTY});
}

TEST(CreatingAnUnregisteredProgIdGivesNothing) {
  OleInitialize(nullptr);
  CHECK(!CreateAutomationObject(L"Tavrel.NoSuchServer"));
  OleUninitialize();
}

// What COM asks the apartment's filter while a call into another program is
// rejected or waits for its answer: tried again later up to the deadline,
// given up after it or once cancelled; calls coming in are always served.
TEST(TheCallDeadlineRetriesRejectedCallsUntilItPassesThenGivesUp) {
  OleInitialize(nullptr);
  {
    CallDeadline deadline(60000);
    IMessageFilter* registered = nullptr;
    // Registered for the thread: putting another in its place hands it back.
    CHECK(SUCCEEDED(CoRegisterMessageFilter(nullptr, &registered)));
    CHECK(registered == static_cast<IMessageFilter*>(&deadline));
    CoRegisterMessageFilter(registered, nullptr);
    CHECK(CallDeadline::OfThisThread() == &deadline);

    CHECK_EQ(deadline.HandleInComingCall(CALLTYPE_TOPLEVEL, nullptr, 0, nullptr), DWORD{SERVERCALL_ISHANDLED});
    CHECK_EQ(deadline.RetryRejectedCall(nullptr, 500, SERVERCALL_RETRYLATER), DWORD{kRejectedCallRetryMs});
    CHECK_EQ(deadline.MessagePending(nullptr, 500, PENDINGTYPE_TOPLEVEL), DWORD{PENDINGMSG_WAITDEFPROCESS});
    deadline.Cancel();
    CHECK(deadline.Passed());
    CHECK_EQ(deadline.RetryRejectedCall(nullptr, 500, SERVERCALL_RETRYLATER), static_cast<DWORD>(-1));
    CHECK_EQ(deadline.MessagePending(nullptr, 500, PENDINGTYPE_TOPLEVEL), DWORD{PENDINGMSG_CANCELCALL});
    // A new deadline forgets the cancel; one already past gives up at once.
    deadline.Reset(60000);
    CHECK(!deadline.Passed());
    deadline.Reset(0);
    CHECK(deadline.Passed());
    CHECK_EQ(deadline.MessagePending(nullptr, 500, PENDINGTYPE_TOPLEVEL), DWORD{PENDINGMSG_CANCELCALL});
  }
  CHECK(CallDeadline::OfThisThread() == nullptr);
  IMessageFilter* left = nullptr;
  CoRegisterMessageFilter(nullptr, &left);
  CHECK(left == nullptr);
  OleUninitialize();
}

// A server that rejects a call as busy: the call is tried again while the
// deadline lasts, and fails with the rejection once it has passed.
TEST(ARejectedCallIsTriedAgainWhileTheDeadlineLasts) {
  OleInitialize(nullptr);
  FakeObject object({{L"Busy", DISPATCH_METHOD}});
  object.rejections = 3;
  {
    CallDeadline deadline(60000);
    CHECK(SUCCEEDED(AutomationCall(&object, L"Busy")));
    CHECK_EQ(object.rejections, 0);
  }
  object.rejections = 1000;
  {
    CallDeadline deadline(600);
    const ULONGLONG start = GetTickCount64();
    CHECK_EQ(AutomationCall(&object, L"Busy"), RPC_E_CALL_REJECTED);
    const ULONGLONG took = GetTickCount64() - start;
    std::printf("    a call rejected for good gave up after %llu ms (deadline 600 ms)\n", took);
    CHECK(took >= 600);
    CHECK(object.rejections < 1000);
  }
  // Without a deadline the rejection is the answer at once.
  object.rejections = 1;
  CHECK_EQ(AutomationCall(&object, L"Busy"), RPC_E_CALL_REJECTED);
  OleUninitialize();
}

// --- the owned BSTR, and arguments packed for a call and read back by the callee ---

TEST(BstrOwnsItsTextUntilHandedOver) {
  const std::wstring text(L"题\0库", 3);  // a NUL inside: the length is kept
  Bstr original(text);
  Bstr moved(std::move(original));
  CHECK(original.Get() == nullptr);
  CHECK_EQ(SysStringLen(moved.Get()), UINT{3});
  CHECK_EQ(moved.Text(), text);
  const BSTR raw = moved.Get();
  Variant holder;  // frees the text when it clears
  holder.Get()->vt = VT_BSTR;
  holder.Get()->bstrVal = moved.Release();
  CHECK(moved.Get() == nullptr);
  CHECK(holder.Ref().bstrVal == raw);
  Bstr filled(std::wstring(L"old"));
  CHECK(*filled.Put() == nullptr);  // an out-parameter slot comes empty
  CHECK_EQ(Bstr::TextOf(nullptr), std::wstring());
}

// Random arguments packed for a call and read back as the callee reads them:
// each at its written position, sharing the caller's text; only a put names its value.
TEST(CallParametersReadBackInTheirWrittenOrder) {
  const WORD kinds[] = {kMethod, kGet, kPut, kPutRef};
  const wchar_t units[] = {L'a', L' ', L'\0', L'题', L'\u00E9'};
  for (unsigned seed = 1; seed <= 60; ++seed) {
    std::mt19937 random(seed);
    std::vector<Variant> arguments;
    std::vector<std::wstring> texts;  // the reference: "" where no text was given
    for (size_t i = random() % 6; i > 0; --i) {
      texts.emplace_back();
      if (random() % 3 == 0) {
        arguments.emplace_back(static_cast<int>(random() % 1000));
      } else if (random() % 2 == 0) {
        arguments.emplace_back(random() % 2 == 0);
      } else {
        for (size_t n = random() % 5; n > 0; --n) texts.back() += units[random() % 5];
        arguments.emplace_back(texts.back());
      }
    }
    const WORD kind = kinds[random() % 4];
    CallParameters parameters(arguments.empty() && random() % 2 ? nullptr : &arguments, kind);
    const bool put = kind == kPut || kind == kPutRef;
    CHECK_EQ(std::make_pair(seed, parameters.Get()->cNamedArgs), std::make_pair(seed, put ? UINT{1} : UINT{0}));
    if (put) CHECK_EQ(parameters.Get()->rgdispidNamedArgs[0], DISPID{DISPID_PROPERTYPUT});
    const ReceivedArguments received(*parameters.Get());
    std::vector<std::wstring> read;
    for (UINT i = 0; i < received.Count(); ++i) {
      read.push_back(received.Text(i));
      const VARIANT& given = arguments[i].Ref();
      CHECK_EQ(std::make_pair(seed, received.At(i).vt), std::make_pair(seed, given.vt));
      CHECK(std::memcmp(&received.At(i), &given, sizeof(VARIANT)) == 0);  // shared, not copied
    }
    if (!CHECK_EQ(read, texts)) std::printf("      seed %u\n", seed);
    CHECK_EQ(received.At(received.Count()).vt, VARTYPE{VT_EMPTY});
  }
}

}  // namespace

CHECK_MAIN()
