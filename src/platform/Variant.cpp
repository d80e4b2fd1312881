#include "platform/Variant.h"

#include <oleauto.h>

#include <utility>

#include "platform/Bstr.h"

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
  value_.bstrVal = Bstr(text).Release();
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
