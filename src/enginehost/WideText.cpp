#include "enginehost/WideText.h"

#include "platform/Text.h"

WideText ToWide(const char* text) {
  const std::wstring wide = GbkToWide(text ? text : "");
  WideText units(wide.begin(), wide.end());
  units.push_back(L'\0');
  return units;
}

std::string ToGbk(const wchar_t* wide) { return wide ? WideToGbk(wide) : std::string(); }
