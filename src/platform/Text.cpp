#include "platform/Text.h"

#include <windows.h>

#include "platform/Utf16.h"

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
    if (IsSurrogate(unit)) unit = L'?';
  }
  return WideToGbk(units);
}

namespace {

// GBK of `wide` with '?' for what it lacks; whether anything was lacking.
std::string StrictGbk(std::wstring_view wide, bool& lacking) {
  BOOL usedDefault = FALSE;
  const int length = static_cast<int>(wide.size());
  const int bytes =
      WideCharToMultiByte(kGbkCodePage, WC_NO_BEST_FIT_CHARS, wide.data(), length, nullptr, 0, "?", &usedDefault);
  std::string gbk(static_cast<size_t>(bytes > 0 ? bytes : 0), '\0');
  if (bytes > 0) {
    WideCharToMultiByte(kGbkCodePage, WC_NO_BEST_FIT_CHARS, wide.data(), length, gbk.data(), bytes, "?",
                        &usedDefault);
  }
  lacking = usedDefault != FALSE;
  return gbk;
}

}  // namespace

std::string WideToGbkCounting(std::wstring_view wide, size_t& missing) {
  std::wstring units;
  units.reserve(wide.size());
  for (size_t i = 0; i < wide.size(); ++i) {
    if (IsSurrogate(wide[i])) {
      if (IsHighSurrogate(wide[i]) && i + 1 < wide.size() && IsLowSurrogate(wide[i + 1])) ++i;
      units += L'?';
      ++missing;
    } else {
      units += wide[i];
    }
  }
  if (units.empty()) return {};
  bool lacking = false;
  std::string gbk = StrictGbk(units, lacking);
  if (lacking) {
    // Rare: only then is each character asked on its own, to count them.
    for (wchar_t unit : units) {
      if (unit < 0x80) continue;
      bool alone = false;
      StrictGbk(std::wstring_view(&unit, 1), alone);
      missing += alone ? 1 : 0;
    }
  }
  return gbk;
}
