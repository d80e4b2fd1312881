// A VARIANT that clears itself, and so frees the text or releases the object
// it holds.
#pragma once
#include <windows.h>
#include <oaidl.h>

#include <string>

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
