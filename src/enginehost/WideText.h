// Texts for the engine: UTF-16 code units followed by one zero unit.
#pragma once
#include <vector>

using WideText = std::vector<wchar_t>;

// GBK text (code page 936) to UTF-16, terminating zero included, so the result
// holds 2 × (characters + 1) bytes. A null or empty text, and a failed
// conversion, give the lone terminator.
WideText ToWide(const char* text);
