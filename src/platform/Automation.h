// Late-bound calls on automation objects: members named by their text, looked
// up and invoked through IDispatch, with the fall-backs between property and
// method that automation servers differ on.
#pragma once
#include <windows.h>
#include <oaidl.h>

#include <string>
#include <vector>

#include "platform/Handles.h"

// A VARIANT that clears itself.
class Variant {
 public:
  Variant() { VariantInit(&value_); }
  explicit Variant(bool value);
  explicit Variant(int value);  // a 32-bit integer (VT_I4)
  explicit Variant(const std::wstring& text);
  ~Variant() { VariantClear(&value_); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
  Variant(Variant&& other) noexcept;
  Variant& operator=(Variant&& other) noexcept;

  VARIANT* Get() { return &value_; }
  const VARIANT& Ref() const { return value_; }
  VARTYPE Type() const { return value_.vt; }
  // Clears what is held and hands out the empty variant, for out-parameters.
  VARIANT* Put();

 private:
  VARIANT value_;
};

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
