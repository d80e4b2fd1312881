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

std::string ToGbk(const wchar_t* wide) {
  if (!wide) return {};
  const int length = WideCharToMultiByte(936, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  if (length <= 1) return {};
  std::string text(static_cast<size_t>(length), '\0');
  if (WideCharToMultiByte(936, 0, wide, -1, text.data(), length, nullptr, nullptr) == 0) return {};
  text.resize(static_cast<size_t>(length) - 1);  // the terminator the conversion wrote
  return text;
}
