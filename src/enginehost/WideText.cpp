#include "enginehost/WideText.h"

#include <windows.h>

#include <cstring>

WideText ToWide(const char* text) {
  const char* source = text ? text : "";
  const int n = static_cast<int>(std::strlen(source));
  const int count = MultiByteToWideChar(936, 0, source, n + 1, nullptr, 0);
  if (count <= 0) return WideText(1, L'\0');
  WideText buffer(static_cast<size_t>(count), L'\0');
  if (MultiByteToWideChar(936, 0, source, n + 1, buffer.data(), count) == 0) return WideText(1, L'\0');
  return buffer;
}
