#include "platform/Text.h"

#include <windows.h>

std::wstring GbkToWide(std::string_view gbk) {
  if (gbk.empty()) return {};
  const int length = static_cast<int>(gbk.size());
  const int units = MultiByteToWideChar(kGbkCodePage, 0, gbk.data(), length, nullptr, 0);
  if (units <= 0) return {};
  std::wstring wide(static_cast<size_t>(units), L'\0');
  MultiByteToWideChar(kGbkCodePage, 0, gbk.data(), length, wide.data(), units);
  return wide;
}

std::string WideToGbk(std::wstring_view wide) {
  if (wide.empty()) return {};
  const int length = static_cast<int>(wide.size());
  const int bytes = WideCharToMultiByte(kGbkCodePage, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return {};
  std::string gbk(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(kGbkCodePage, 0, wide.data(), length, gbk.data(), bytes, nullptr, nullptr);
  return gbk;
}

std::string BoxTextToGbk(std::wstring_view wide) {
  // Surrogates first become '?', one per unit: how code page 936 would render a
  // pair differs between systems.
  std::wstring units(wide);
  for (wchar_t& unit : units) {
    if (unit >= 0xD800 && unit <= 0xDFFF) unit = L'?';
  }
  return WideToGbk(units);
}
