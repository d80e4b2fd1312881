// A BSTR that frees itself: the texts COM hands out and takes in. Its length
// is stored, so a text may hold NULs; null is COM's empty text.
#pragma once
#include <windows.h>
#include <oleauto.h>

#include <string>
#include <utility>

class Bstr {
 public:
  Bstr() = default;
  explicit Bstr(const std::wstring& text) : text_(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
  ~Bstr() { SysFreeString(text_); }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  Bstr(Bstr&& other) noexcept : text_(other.Release()) {}
  Bstr& operator=(Bstr&& other) noexcept {
    if (this != &other) {
      SysFreeString(text_);
      text_ = other.Release();
    }
    return *this;
  }

  BSTR Get() const { return text_; }
  // Frees what is held and hands out the empty slot, for out-parameters.
  BSTR* Put() {
    SysFreeString(std::exchange(text_, nullptr));
    return &text_;
  }
  // Hands the string to a new owner that frees it, such as a VARIANT.
  BSTR Release() { return std::exchange(text_, nullptr); }
  std::wstring Text() const { return TextOf(text_); }

  // The text of a BSTR that stays its owner's.
  static std::wstring TextOf(BSTR text) { return text ? std::wstring(text, SysStringLen(text)) : std::wstring(); }

 private:
  BSTR text_ = nullptr;
};
