#include "Scripts.h"

#include <windows.h>

#include <cstdint>

#include "CallLog.h"
#include "Exports.h"
#include "Loading.h"
#include "Picture.h"

namespace {

WkeScriptValue Value(int kind, uint32_t payload) {
  return static_cast<WkeScriptValue>((static_cast<uint64_t>(kind) << 32) | payload);
}
WkeScriptValue BoolValue(bool value) { return Value(1, value ? 1 : 0); }
WkeScriptValue StringValue(const std::wstring& value) { return Value(3, static_cast<uint32_t>(value.size())); }

WkeScriptValue RunStatement(View& view, const Statement& statement, unsigned line) {
  const auto argument = [&](size_t i) { return i < statement.arguments.size() ? statement.arguments[i] : L""; };
  if (statement.kind == Statement::kCall) {
    const std::wstring& name = statement.name;
    if (name == L"alert" || name == L"window.alert") {
      if (auto alert = CallbackOf<WkeAlertBoxCallback>(view, kAlertSlot)) {
        WkeStringObject message{argument(0)};
        alert(Handle(view), view.callbacks[kAlertSlot].param, Str(message));
      }
      Log(L"> alert(" + S(argument(0)) + L")");
      return Value(0, 0);
    }
    if (name == L"confirm" || name == L"window.confirm") {
      bool answer = false;
      if (auto confirm = CallbackOf<WkeConfirmBoxCallback>(view, kConfirmSlot)) {
        WkeStringObject message{argument(0)};
        answer = confirm(Handle(view), view.callbacks[kConfirmSlot].param, Str(message));
      }
      Log(L"> confirm(" + S(argument(0)) + L") -> " + B(answer));
      return BoolValue(answer);
    }
    if (name == L"prompt" || name == L"window.prompt") {
      if (auto prompt = CallbackOf<WkePromptBoxCallback>(view, kPromptSlot)) {
        WkeStringObject message{argument(0)};
        WkeStringObject defaultValue{argument(1)};
        WkeStringObject result{L"(untouched)"};
        const bool answered =
            prompt(Handle(view), view.callbacks[kPromptSlot].param, Str(message), Str(defaultValue), Str(result));
        Log(L"> prompt(" + S(argument(0)) + L", " + S(argument(1)) + L") -> " + B(answered) + L" " + S(result.text));
        return answered ? StringValue(result.text) : Value(0, 0);
      }
      Log(L"> prompt(" + S(argument(0)) + L", " + S(argument(1)) + L") -> no handler");
      return Value(0, 0);
    }
    if (name == L"console.log" || name == L"console.warn" || name == L"console.error") {
      const int level = name == L"console.log" ? 1 : name == L"console.warn" ? 2 : 3;
      if (auto console = CallbackOf<WkeConsoleMessageCallback>(view, kConsoleSlot)) {
        WkeStringObject message{argument(0)};
        WkeStringObject url{view.url};
        const WkeConsoleRecord record{1, 0, level, Str(message), Str(url), line};
        console(Handle(view), view.callbacks[kConsoleSlot].param, &record);
      }
      Log(L"> console(" + I(level) + L", " + S(argument(0)) + L", " + I(line) + L")");
      return Value(0, 0);
    }
    if (name == L"window.open") {
      return BoolValue(OpenNewWindow(view, argument(0), argument(1), argument(2)));
    }
  } else if (statement.kind == Statement::kAssign) {
    const std::wstring& value = statement.value;
    if (statement.name == L"standin.stayDirty") {
      view.stayDirty = value == L"true" || value == L"1";
      if (view.stayDirty) MarkDirty(view);
      return BoolValue(view.stayDirty);
    }
    if (statement.name == L"document.body.style.overflow") {
      view.page.overflow = value;
      MarkDirty(view);
      return StringValue(value);
    }
    if (statement.name == L"document.title") {
      view.title = value;
      if (auto changed = CallbackOf<WkeTitleChangedCallback>(view, kTitleSlot)) {
        WkeStringObject title{value};
        changed(Handle(view), view.callbacks[kTitleSlot].param, Str(title));
      }
      MarkDirty(view);
      return StringValue(value);
    }
    if (statement.name == L"document.cookie") {
      if (view.cookieEnabled) view.cookie += (view.cookie.empty() ? L"" : L"; ") + value;
      return StringValue(value);
    }
    if (statement.name == L"location.href" || statement.name == L"window.location") {
      Navigate(view, UrlEntry(value), kNavLink, true);
      return StringValue(value);
    }
  } else {
    if (statement.name == L"document.body.style.overflow") return StringValue(view.page.overflow);
    if (statement.name == L"document.title") return StringValue(view.title);
  }
  Log(L"> script not understood: " + statement.name);
  return Value(0, 0);
}

std::wstring FromUtf8(const char* text) {
  if (!text) return {};
  const int units = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
  if (units <= 1) return {};
  std::wstring wide(static_cast<size_t>(units), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text, -1, wide.data(), units);
  wide.resize(static_cast<size_t>(units) - 1);
  return wide;
}

}  // namespace

WkeScriptValue RunScript(View& view, const std::wstring& script) {
  WkeScriptValue last = Value(0, 0);
  unsigned line = 1;
  for (const Statement& statement : ParseScript(script)) last = RunStatement(view, statement, line++);
  return last;
}

STANDIN_EXPORT WkeScriptValue WKE_CALL wkeRunJS(WkeView handle, const char* script) {
  const std::wstring text = FromUtf8(script);
  LogCall(L"wkeRunJS", {V(handle), S(text)});
  View* view = Find(handle);
  return view ? RunScript(*view, text) : 0;
}

STANDIN_EXPORT WkeScriptValue WKE_CALL wkeRunJSW(WkeView handle, const wchar_t* script) {
  LogCall(L"wkeRunJSW", {V(handle), S(script)});
  View* view = Find(handle);
  return view && script ? RunScript(*view, script) : 0;
}
