// The call log: every call the stand-in receives and every callback it makes,
// one a line, with its arguments written by the short formatters below.
#pragma once
#include <initializer_list>
#include <string>

#include "enginehost/WkeTypes.h"

void Log(const std::wstring& line);
// name(argument, argument...)
void LogCall(const wchar_t* name, std::initializer_list<std::wstring> arguments);

// A view as "#id" ("#?" for an unknown handle, "#0" for null).
std::wstring V(WkeView handle);
inline std::wstring S(const wchar_t* text) { return text ? L"\"" + std::wstring(text) + L"\"" : L"null"; }
inline std::wstring S(const std::wstring& text) { return S(text.c_str()); }
inline std::wstring B(bool value) { return value ? L"true" : L"false"; }
inline std::wstring I(long long value) { return std::to_wstring(value); }
std::wstring F(float value);
std::wstring P(const void* pointer);
template <typename Function>
std::wstring P(Function* function) {
  return P(reinterpret_cast<const void*>(function));
}
