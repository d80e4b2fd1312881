#include "websearch/QueryUrl.h"

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

bool IsAsciiAlphanumeric(unsigned char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

void AppendEscaped(std::string& out, unsigned char c) {
  out += '%';
  out += kHexDigits[c >> 4];
  out += kHexDigits[c & 0x0F];
}

}  // namespace

const std::array<SearchEngine, kEngineCount>& SearchEngines() {
  static const std::array<SearchEngine, kEngineCount> engines = {{
      {"www.baidu.com", "/s?wd=", false},
      {"www.sogou.com", "/web?query=", false},
      {"www.so.com", "/s?q=", true},
  }};
  return engines;
}

std::string PercentEncode(const std::string& text) {
  std::string out;
  out.reserve(text.size() * 3);
  for (const char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (IsAsciiAlphanumeric(c)) {
      out += ch;
    } else {
      AppendEscaped(out, c);
    }
  }
  return out;
}

std::string EscapeUrlDelimiters(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (const char ch : text) {
    // GBK trail bytes are 0x40 and above, so none of these four is ever half a character.
    if (ch == '%' || ch == '&' || ch == '#' || ch == '+') {
      AppendEscaped(out, static_cast<unsigned char>(ch));
    } else {
      out += ch;
    }
  }
  return out;
}

std::string QueryUrl(const SearchEngine& engine, const std::string& searchText) {
  return std::string("https://") + engine.host + engine.queryPrefix +
         (engine.percentEncodeAll ? PercentEncode(searchText) : EscapeUrlDelimiters(searchText));
}

EngineChoice NormalizeEngineChoice(EngineChoice choice) {
  for (const bool checked : choice) {
    if (checked) return choice;
  }
  choice[0] = true;
  return choice;
}

EngineChoice AfterEngineToggled(EngineChoice choice, int clicked) {
  if (clicked < 0 || clicked >= kEngineCount || !choice[clicked]) return choice;
  for (int i = 0; i < kEngineCount; ++i) choice[i] = (i == clicked);
  return choice;
}
