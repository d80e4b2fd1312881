// Texts for the engine: UTF-16 code units followed by one zero unit.
#pragma once
#include <string>
#include <vector>

using WideText = std::vector<wchar_t>;

// GBK text (code page 936) to UTF-16, terminating zero included, so the result
// holds 2 × (characters + 1) bytes. A null or empty text, and a failed
// conversion, give the lone terminator.
WideText ToWide(const char* text);

// UTF-16 from the engine (zero-terminated) as GBK text; null gives "". Characters
// that GBK lacks become the conversion's default character.
std::string ToGbk(const wchar_t* wide);
