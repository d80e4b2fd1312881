// A stand-in for the word processor's automation server, for tests only: an
// in-process COM server whose application object answers exactly the members
// the document import calls, opens plain-text files read-only, and puts their
// text on the clipboard on "Copy". Every call is appended to a log file (see
// kWordStandinLogVariable), so tests can check the order of the calls; the
// failures of a real word processor can be asked for (kWordStandinModeVariable).
// Built twice: as a library loaded into the caller, and, with
// WORD_STANDIN_SERVER defined, as a program of its own.
#include <windows.h>
#include <oaidl.h>
#include <objbase.h>
#include <oleauto.h>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "WordStandin.h"
#include "platform/Handles.h"

namespace {

std::atomic<long> liveObjects{0};
std::atomic<long> serverLocks{0};
// When the last application object was made, for the "busy" mode.
std::atomic<ULONGLONG> applicationMadeAt{0};

// --- the call log -------------------------------------------------------------

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return {};
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                        nullptr);
  std::string out(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), bytes, nullptr, nullptr);
  return out;
}

void Log(const std::wstring& line) {
  wchar_t path[MAX_PATH * 2] = {};
  if (GetEnvironmentVariableW(kWordStandinLogVariable, path, MAX_PATH * 2) == 0) return;
  FileHandle file(CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return;
  const std::string bytes = Utf8(line) + "\n";
  DWORD written = 0;
  WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

bool ModeIs(const wchar_t* mode) {
  wchar_t value[64] = {};
  const DWORD length = GetEnvironmentVariableW(kWordStandinModeVariable, value, 64);
  return length > 0 && length < 64 && std::wcscmp(value, mode) == 0;
}

// Waits as a call stuck at a question nobody sees, until the test releases it
// (or a minute has passed, so that no test program stays for ever).
void WaitForRelease() {
  const KernelHandle release(CreateEventW(nullptr, TRUE, FALSE, kWordStandinReleaseEvent));
  WaitForSingleObject(release.Get(), 60000);
}

// Control characters escaped, so that one call stays one line of the log.
std::wstring Quoted(const wchar_t* text, size_t length) {
  std::wstring out = L"\"";
  for (size_t i = 0; i < length; ++i) {
    const wchar_t c = text[i];
    if (c == L'\r') {
      out += L"\\r";
    } else if (c == L'\n') {
      out += L"\\n";
    } else if (c < 0x20 || c == 0x7F) {
      wchar_t escaped[8];
      swprintf(escaped, 8, L"\\x%02X", static_cast<unsigned>(c));
      out += escaped;
    } else if (c == L'"' || c == L'\\') {
      out += L'\\';
      out += c;
    } else {
      out += c;
    }
  }
  return out + L"\"";
}

std::wstring Describe(const VARIANT& value) {
  const VARIANT* v = &value;
  if (v->vt == (VT_VARIANT | VT_BYREF) && v->pvarVal) v = v->pvarVal;
  switch (v->vt) {
    case VT_BSTR:
      return v->bstrVal ? Quoted(v->bstrVal, SysStringLen(v->bstrVal)) : L"\"\"";
    case VT_BOOL:
      return v->boolVal ? L"true" : L"false";
    case VT_I2:
      return std::to_wstring(v->iVal);
    case VT_I4:
      return std::to_wstring(v->lVal);
    case VT_EMPTY:
      return L"empty";
    default:
      return L"vt" + std::to_wstring(v->vt);
  }
}

std::wstring KindName(WORD flags) {
  std::wstring name;
  const std::pair<WORD, const wchar_t*> kinds[] = {{DISPATCH_METHOD, L"method"},
                                                   {DISPATCH_PROPERTYGET, L"get"},
                                                   {DISPATCH_PROPERTYPUT, L"put"},
                                                   {DISPATCH_PROPERTYPUTREF, L"putref"}};
  for (const auto& [bit, word] : kinds) {
    if (!(flags & bit)) continue;
    if (!name.empty()) name += L"|";
    name += word;
  }
  return name;
}

// --- texts of files ---------------------------------------------------------------

// Plain text as the word processor would open it: UTF-16 or UTF-8 when a
// byte-order mark says so, UTF-8 when the bytes are valid UTF-8, GBK otherwise.
std::wstring DecodeText(const std::string& bytes) {
  auto convert = [](UINT codePage, DWORD flags, const char* data, size_t size, std::wstring* out) {
    if (size == 0) return true;
    const int units = MultiByteToWideChar(codePage, flags, data, static_cast<int>(size), nullptr, 0);
    if (units <= 0) return false;
    out->assign(static_cast<size_t>(units), L'\0');
    MultiByteToWideChar(codePage, flags, data, static_cast<int>(size), out->data(), units);
    return true;
  };
  std::wstring text;
  if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF && static_cast<unsigned char>(bytes[1]) == 0xFE) {
    text.assign((bytes.size() - 2) / 2, L'\0');
    std::memcpy(text.data(), bytes.data() + 2, text.size() * sizeof(wchar_t));
    return text;
  }
  if (bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
    convert(CP_UTF8, 0, bytes.data() + 3, bytes.size() - 3, &text);
    return text;
  }
  if (convert(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), bytes.size(), &text)) return text;
  convert(936, 0, bytes.data(), bytes.size(), &text);
  return text;
}

// The file's bytes, opened read-only; false with the system's error when it cannot be read.
bool ReadFileBytes(const std::wstring& path, std::string* bytes, DWORD* error) {
  FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    *error = GetLastError();
    return false;
  }
  LARGE_INTEGER size{};
  GetFileSizeEx(file.Get(), &size);
  bytes->assign(static_cast<size_t>(size.QuadPart), '\0');
  DWORD read = 0;
  if (!bytes->empty() && !ReadFile(file.Get(), bytes->data(), static_cast<DWORD>(bytes->size()), &read, nullptr)) {
    *error = GetLastError();
    return false;
  }
  bytes->resize(read);
  return true;
}

// --- the clipboard --------------------------------------------------------------------

GlobalMemory MemoryWith(const void* data, size_t size) {
  GlobalMemory memory(GlobalAlloc(GMEM_MOVEABLE, size));
  GlobalLockGuard lock(memory.Get());
  if (!lock) return {};
  std::memcpy(lock.Data(), data, size);
  return memory;
}

// Empties the clipboard and lets `place` put the new content there.
template <typename Place>
bool ReplaceClipboard(Place place) {
  // The clipboard needs a window of ours as owner; what it holds outlives it.
  OwnedWindow owner(CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr));
  bool open = false;
  for (int attempt = 0; attempt < 50 && !(open = OpenClipboard(owner.Get())); ++attempt) Sleep(10);
  if (!open) return false;
  EmptyClipboard();
  const bool placed = place();
  CloseClipboard();
  return placed;
}

// Unicode text and, as the word processor also gives it, the ANSI form.
bool PutOnClipboard(const std::wstring& text) {
  return ReplaceClipboard([&text] {
    GlobalMemory unicode = MemoryWith(text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    bool placed = unicode && SetClipboardData(CF_UNICODETEXT, unicode.Get());
    if (placed) unicode.Release();
    const int ansiBytes = WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string ansi(static_cast<size_t>(ansiBytes > 0 ? ansiBytes : 1), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, ansi.data(), ansiBytes, nullptr, nullptr);
    GlobalMemory narrow = MemoryWith(ansi.data(), ansi.size());
    if (narrow && SetClipboardData(CF_TEXT, narrow.Get())) narrow.Release();
    return placed;
  });
}

// The text as rich text alone, as a document of pictures or shapes leaves no
// plain text: every character written as \uN.
bool PutRichTextOnClipboard(const std::wstring& text) {
  std::string rtf = "{\\rtf1\\ansi\\uc0 ";
  for (const wchar_t c : text) {
    if (c == L'\n') continue;
    rtf += c == L'\r' ? std::string("\\par ") : "\\u" + std::to_string(static_cast<int16_t>(c)) + " ";
  }
  rtf += "}";
  return ReplaceClipboard([&rtf] {
    GlobalMemory memory = MemoryWith(rtf.c_str(), rtf.size() + 1);
    const bool placed = memory && SetClipboardData(RegisterClipboardFormatW(L"Rich Text Format"), memory.Get());
    if (placed) memory.Release();
    return placed;
  });
}

// A drawing in a format of the stand-in's own, which nothing else reads.
bool PutShapeOnClipboard() {
  return ReplaceClipboard([] {
    static const char shape[] = "stand-in shape";
    GlobalMemory memory = MemoryWith(shape, sizeof shape);
    const bool placed = memory && SetClipboardData(RegisterClipboardFormatW(L"Word Stand-in Shape"), memory.Get());
    if (placed) memory.Release();
    return placed;
  });
}

// --- automation objects ---------------------------------------------------------------

struct Member {
  const wchar_t* name;
  DISPID id;
  WORD kinds;  // the DISPATCH_ flags the member answers to
};

// An automation object that answers its members by name; a call of a kind the
// member does not answer to is refused as the real server would.
class Object : public IDispatch {
 public:
  Object(const wchar_t* className, std::vector<Member> members) : class_(className), members_(std::move(members)) {
    ++liveObjects;
  }
  virtual ~Object() { --liveObjects; }
  Object(const Object&) = delete;
  Object& operator=(const Object&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch)) {
      *object = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) {
      Log(L"release " + class_);
      delete this;
    }
    return left;
  }

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
    if (info) *info = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
    if (!names || !ids || count == 0) return E_INVALIDARG;
    HRESULT hr = S_OK;
    for (UINT i = 0; i < count; ++i) {
      ids[i] = DISPID_UNKNOWN;
      if (i > 0) continue;  // no named arguments here
      for (const Member& member : members_) {
        if (_wcsicmp(member.name, names[i]) == 0) ids[i] = member.id;
      }
      if (ids[i] == DISPID_UNKNOWN) {
        Log(class_ + L"." + names[i] + L" unknown");
        hr = DISP_E_UNKNOWNNAME;
      }
    }
    return hr;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* parameters, VARIANT* result,
                                   EXCEPINFO* exception, UINT*) override {
    const Member* member = nullptr;
    for (const Member& m : members_) {
      if (m.id == id) member = &m;
    }
    if (!member) return DISP_E_MEMBERNOTFOUND;
    // Arguments as written: IDispatch hands them over last first.
    std::vector<VARIANT> arguments;
    if (parameters) {
      for (UINT i = parameters->cArgs; i > 0; --i) arguments.push_back(parameters->rgvarg[i - 1]);
    }
    std::wstring line = class_ + L"." + member->name + L" " + KindName(flags);
    for (const VARIANT& argument : arguments) line += L" " + Describe(argument);
    if (!(flags & member->kinds)) {
      Log(line + L" refused");
      return DISP_E_MEMBERNOTFOUND;
    }
    if (ModeIs(L"busy") && GetTickCount64() - applicationMadeAt.load() < kWordStandinBusyMs) {
      Log(line + L" rejected");
      return RPC_E_CALL_REJECTED;
    }
    if (result) VariantInit(result);
    const HRESULT hr = Call(member->id, arguments, result, exception);
    Log(SUCCEEDED(hr) ? line : line + L" failed");
    return hr;
  }

 protected:
  virtual HRESULT Call(DISPID id, const std::vector<VARIANT>& arguments, VARIANT* result, EXCEPINFO* exception) = 0;

  // Hands a new object out as the call's result.
  static HRESULT Return(Object* object, VARIANT* result) {
    ComPtr<IDispatch> owned;
    owned.Attach(object);
    if (!result) return S_OK;
    result->vt = VT_DISPATCH;
    result->pdispVal = owned.Get();
    result->pdispVal->AddRef();
    return S_OK;
  }

 private:
  std::atomic<ULONG> references_{1};
  std::wstring class_;
  std::vector<Member> members_;
};

class Range final : public Object {
 public:
  explicit Range(std::wstring text) : Object(L"Range", {{L"Copy", 1, DISPATCH_METHOD | DISPATCH_PROPERTYGET}}),
                                      text_(std::move(text)) {}

 protected:
  HRESULT Call(DISPID, const std::vector<VARIANT>&, VARIANT*, EXCEPINFO*) override {
    if (ModeIs(L"copy-nothing")) return S_OK;
    if (ModeIs(L"copy-no-text")) return PutRichTextOnClipboard(text_) ? S_OK : E_FAIL;
    if (ModeIs(L"copy-unpasteable")) return PutShapeOnClipboard() ? S_OK : E_FAIL;
    return PutOnClipboard(text_) ? S_OK : E_FAIL;
  }

 private:
  std::wstring text_;
};

class Document final : public Object {
 public:
  explicit Document(std::wstring text)
      : Object(L"Document", {{L"Content", 1, DISPATCH_PROPERTYGET}, {L"Close", 2, DISPATCH_METHOD}}),
        text_(std::move(text)) {}

 protected:
  HRESULT Call(DISPID id, const std::vector<VARIANT>&, VARIANT* result, EXCEPINFO*) override {
    if (id == 1) return Return(new Range(text_), result);
    return S_OK;  // closing a read-only document saves nothing
  }

 private:
  std::wstring text_;
};

class Documents final : public Object {
 public:
  Documents() : Object(L"Documents", {{L"Open", 1, DISPATCH_METHOD}}) {}

 protected:
  // The word processor's error for a wrong password, as an automation error code.
  static constexpr HRESULT kPasswordIncorrect = static_cast<HRESULT>(0x800A1520);

  static HRESULT Fail(EXCEPINFO* exception, HRESULT code, const wchar_t* description) {
    if (exception) {
      *exception = EXCEPINFO{};
      exception->scode = code;
      exception->bstrSource = SysAllocString(L"Word.Application");
      exception->bstrDescription = SysAllocString(description);
    }
    return DISP_E_EXCEPTION;
  }

  HRESULT Call(DISPID, const std::vector<VARIANT>& arguments, VARIANT* result, EXCEPINFO* exception) override {
    if (arguments.empty()) return DISP_E_BADPARAMCOUNT;
    Variant name;
    VARIANT first = arguments[0];  // a shallow copy: the conversion only reads it
    if (FAILED(VariantChangeType(name.Get(), &first, 0, VT_BSTR))) return DISP_E_TYPEMISMATCH;
    const std::wstring path(name.Ref().bstrVal, SysStringLen(name.Ref().bstrVal));
    if (ModeIs(L"hang-open")) {
      WaitForRelease();
      return Fail(exception, E_ABORT, L"The call was abandoned.");
    }
    std::string bytes;
    DWORD error = 0;
    if (!ReadFileBytes(path, &bytes, &error)) {
      return Fail(exception, HRESULT_FROM_WIN32(error), L"The file could not be opened.");
    }
    const std::string marker = kWordStandinPasswordMarker;
    if (bytes.compare(0, marker.size(), marker) == 0) {
      const size_t lineEnd = bytes.find('\n');
      std::string password = bytes.substr(marker.size(), lineEnd == std::string::npos ? 0 : lineEnd - marker.size());
      if (!password.empty() && password.back() == '\r') password.pop_back();
      Variant given;
      VARIANT argument = arguments.size() > 4 ? arguments[4] : VARIANT{};
      if (arguments.size() <= 4 || FAILED(VariantChangeType(given.Get(), &argument, 0, VT_BSTR))) {
        // The password box of a hidden window: nobody can type into it.
        WaitForRelease();
        return Fail(exception, E_ABORT, L"Nobody typed the password.");
      }
      const std::wstring typed(given.Ref().bstrVal, SysStringLen(given.Ref().bstrVal));
      if (typed != std::wstring(password.begin(), password.end())) {
        return Fail(exception, kPasswordIncorrect, L"The password is incorrect.");
      }
      bytes.erase(0, lineEnd + 1);
    }
    return Return(new Document(DecodeText(bytes)), result);
  }

 private:
  // A VARIANT that clears itself, for the conversions above.
  class Variant {
   public:
    Variant() { VariantInit(&value_); }
    ~Variant() { VariantClear(&value_); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    VARIANT* Get() { return &value_; }
    const VARIANT& Ref() const { return value_; }

   private:
    VARIANT value_;
  };
};

class Application final : public Object {
 public:
  Application()
      : Object(L"Application", {{L"Visible", 1, DISPATCH_PROPERTYPUT},
                                {L"Documents", 2, DISPATCH_PROPERTYGET},
                                {L"DisplayAlerts", 3, DISPATCH_PROPERTYPUT},
                                {L"Quit", 4, DISPATCH_METHOD},
                                {L"AutomationSecurity", 5, DISPATCH_PROPERTYPUT}}) {}

 protected:
  HRESULT Call(DISPID id, const std::vector<VARIANT>& arguments, VARIANT* result, EXCEPINFO*) override {
    switch (id) {
      case 1:
      case 3:
      case 5:
        return arguments.size() == 1 ? S_OK : DISP_E_BADPARAMCOUNT;
      case 2:
        return Return(new Documents(), result);
      case 4:
        if (ModeIs(L"quit-refused")) return RPC_E_CALL_REJECTED;
#ifdef WORD_STANDIN_SERVER
        // The program ends once this call has been answered.
        PostQuitMessage(0);
#endif
        return S_OK;
      default:
        return S_OK;
    }
  }
};

class ClassFactory final : public IClassFactory {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
      *object = static_cast<IClassFactory*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  // One factory for the life of the library.
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    if (ModeIs(L"absent")) {
      Log(L"create refused");
      return REGDB_E_CLASSNOTREG;
    }
    ComPtr<IDispatch> application;
    application.Attach(new Application());
    applicationMadeAt = GetTickCount64();
    Log(L"create Application");
    return application->QueryInterface(iid, object);
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
    serverLocks += lock ? 1 : -1;
    return S_OK;
  }
};

ClassFactory factory;

}  // namespace

#ifdef WORD_STANDIN_SERVER

// Started by COM with -Embedding: offers one application object, and ends when
// it quits or its client lets it go.
int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
  DWORD cookie = 0;
  if (FAILED(CoRegisterClassObject(kWordStandinServerClassId, &factory, CLSCTX_LOCAL_SERVER, REGCLS_SINGLEUSE,
                                   &cookie))) {
    CoUninitialize();
    return 1;
  }
  Log(L"server started");
  const UINT_PTR timer = SetTimer(nullptr, 0, 200, nullptr);
  bool made = false;
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    made = made || liveObjects > 0;
    if (message.message == WM_TIMER && made && liveObjects == 0) break;
    DispatchMessageW(&message);
  }
  KillTimer(nullptr, timer);
  CoRevokeClassObject(cookie);
  Log(L"server ended");
  CoUninitialize();
  return 0;
}

#else

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID classId, REFIID iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (!IsEqualCLSID(classId, kWordStandinClassId)) return CLASS_E_CLASSNOTAVAILABLE;
  return factory.QueryInterface(iid, object);
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() { return liveObjects == 0 && serverLocks == 0 ? S_OK : S_FALSE; }

#endif
