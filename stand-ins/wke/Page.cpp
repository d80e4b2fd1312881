#include "Page.h"

#include <cwctype>

namespace {

std::wstring Lower(std::wstring_view text) {
  std::wstring out(text);
  for (wchar_t& c : out) c = static_cast<wchar_t>(std::towlower(c));
  return out;
}

std::wstring Trim(std::wstring_view text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && std::iswspace(text[begin])) ++begin;
  while (end > begin && std::iswspace(text[end - 1])) --end;
  return std::wstring(text.substr(begin, end - begin));
}

std::wstring Unquote(std::wstring_view text) {
  std::wstring t = Trim(text);
  if (t.size() >= 2 && (t.front() == L'\'' || t.front() == L'"') && t.back() == t.front()) {
    return t.substr(1, t.size() - 2);
  }
  return t;
}

std::wstring DecodeEntities(std::wstring_view text) {
  static const struct {
    const wchar_t* name;
    wchar_t value;
  } kEntities[] = {{L"&amp;", L'&'}, {L"&lt;", L'<'}, {L"&gt;", L'>'}, {L"&quot;", L'"'}, {L"&nbsp;", L' '}};
  std::wstring out;
  for (size_t i = 0; i < text.size();) {
    bool replaced = false;
    if (text[i] == L'&') {
      for (const auto& entity : kEntities) {
        const std::wstring_view name(entity.name);
        if (text.substr(i, name.size()) == name) {
          out += entity.value;
          i += name.size();
          replaced = true;
          break;
        }
      }
    }
    if (!replaced) out += text[i++];
  }
  return out;
}

// The value of attribute `name` inside a tag's text, "" when absent.
std::wstring Attribute(std::wstring_view tag, std::wstring_view name) {
  const std::wstring lower = Lower(tag);
  size_t at = 0;
  while ((at = lower.find(name, at)) != std::wstring::npos) {
    const bool startsWord = at > 0 && std::iswspace(lower[at - 1]);
    size_t next = at + name.size();
    while (next < lower.size() && std::iswspace(lower[next])) ++next;
    if (startsWord && next < lower.size() && lower[next] == L'=') {
      ++next;
      while (next < tag.size() && std::iswspace(tag[next])) ++next;
      if (next < tag.size() && (tag[next] == L'"' || tag[next] == L'\'')) {
        const size_t close = tag.find(tag[next], next + 1);
        return std::wstring(tag.substr(next + 1, close == std::wstring::npos ? std::wstring::npos : close - next - 1));
      }
      size_t end = next;
      while (end < tag.size() && !std::iswspace(tag[end]) && tag[end] != L'>') ++end;
      return std::wstring(tag.substr(next, end - next));
    }
    at = next;
  }
  return {};
}

// "width: 800px" inside a style text; -1 when absent.
int StylePixels(std::wstring_view style, std::wstring_view property) {
  const std::wstring lower = Lower(style);
  const size_t at = lower.find(property);
  if (at == std::wstring::npos) return -1;
  size_t i = lower.find(L':', at);
  if (i == std::wstring::npos) return -1;
  ++i;
  while (i < lower.size() && std::iswspace(lower[i])) ++i;
  int value = 0;
  bool any = false;
  while (i < lower.size() && std::iswdigit(lower[i])) {
    value = value * 10 + (lower[i++] - L'0');
    any = true;
  }
  return any ? value : -1;
}

std::wstring StyleWord(std::wstring_view style, std::wstring_view property) {
  const std::wstring lower = Lower(style);
  const size_t at = lower.find(property);
  if (at == std::wstring::npos) return {};
  const size_t colon = lower.find(L':', at);
  if (colon == std::wstring::npos) return {};
  const size_t end = lower.find(L';', colon);
  return Trim(lower.substr(colon + 1, end == std::wstring::npos ? std::wstring::npos : end - colon - 1));
}

bool IsBlockTag(const std::wstring& name) {
  static const wchar_t* kBlocks[] = {L"br", L"p", L"div", L"li", L"ul", L"ol", L"h1", L"h2", L"h3",
                                     L"h4", L"tr", L"table", L"hr", L"pre", L"body", L"form"};
  for (const wchar_t* block : kBlocks) {
    if (name == block) return true;
  }
  return false;
}

// Splits on `separator` outside quotes and brackets.
std::vector<std::wstring> SplitOutside(std::wstring_view text, wchar_t separator) {
  std::vector<std::wstring> parts;
  std::wstring current;
  wchar_t quote = 0;
  int depth = 0;
  for (wchar_t c : text) {
    if (quote) {
      if (c == quote) quote = 0;
      current += c;
    } else if (c == L'\'' || c == L'"') {
      quote = c;
      current += c;
    } else if (c == L'(') {
      ++depth;
      current += c;
    } else if (c == L')') {
      --depth;
      current += c;
    } else if (c == separator && depth == 0) {
      parts.push_back(current);
      current.clear();
    } else {
      current += c;
    }
  }
  parts.push_back(current);
  return parts;
}

}  // namespace

Page ParseHtml(std::wstring_view html) {
  Page page;
  std::wstring line;
  auto endLine = [&] {
    std::wstring text = Trim(DecodeEntities(line));
    if (!text.empty()) page.lines.push_back({text, L"", L""});
    line.clear();
  };
  size_t i = 0;
  while (i < html.size()) {
    if (html[i] != L'<') {
      const wchar_t c = html[i++];
      if (std::iswspace(c)) {
        if (!line.empty() && line.back() != L' ') line += L' ';
      } else {
        line += c;
      }
      continue;
    }
    const size_t close = html.find(L'>', i);
    if (close == std::wstring::npos) break;
    const std::wstring_view tag = html.substr(i + 1, close - i - 1);
    i = close + 1;
    const bool closing = !tag.empty() && tag[0] == L'/';
    size_t nameEnd = closing ? 1 : 0;
    while (nameEnd < tag.size() && !std::iswspace(tag[nameEnd]) && tag[nameEnd] != L'/') ++nameEnd;
    const std::wstring name = Lower(tag.substr(closing ? 1 : 0, nameEnd - (closing ? 1 : 0)));
    if (closing) {
      if (IsBlockTag(name)) endLine();
      continue;
    }
    if (name == L"title" || name == L"script" || name == L"style") {
      const std::wstring end = L"</" + name;
      const size_t stop = Lower(html.substr(i)).find(end);
      const std::wstring_view inner = html.substr(i, stop == std::wstring::npos ? std::wstring::npos : stop);
      if (name == L"title") page.title = Trim(DecodeEntities(inner));
      if (name == L"script") page.scripts.emplace_back(inner);
      i = stop == std::wstring::npos ? html.size() : html.find(L'>', i + stop) + 1;
      continue;
    }
    if (name == L"a") {
      endLine();
      const size_t stop = Lower(html.substr(i)).find(L"</a");
      const std::wstring_view inner = html.substr(i, stop == std::wstring::npos ? std::wstring::npos : stop);
      const Page inside = ParseHtml(inner);
      std::wstring text;
      for (const PageLine& l : inside.lines) text += (text.empty() ? L"" : L" ") + l.text;
      const std::wstring href = Attribute(tag, L"href");
      page.lines.push_back({text.empty() ? href : text, href, Attribute(tag, L"target")});
      i = stop == std::wstring::npos ? html.size() : html.find(L'>', i + stop) + 1;
      continue;
    }
    if (name == L"body") {
      const std::wstring style = Attribute(tag, L"style");
      page.statedWidth = StylePixels(style, L"width");
      page.statedHeight = StylePixels(style, L"height");
      const std::wstring overflow = StyleWord(style, L"overflow");
      if (!overflow.empty()) page.overflow = overflow;
    }
    if (IsBlockTag(name)) endLine();
  }
  endLine();
  return page;
}

std::vector<Statement> ParseScript(std::wstring_view script) {
  std::vector<Statement> statements;
  for (const std::wstring& part : SplitOutside(script, L';')) {
    const std::wstring text = Trim(part);
    if (text.empty()) continue;
    Statement statement;
    const std::vector<std::wstring> sides = SplitOutside(text, L'=');
    if (sides.size() == 2) {
      statement.kind = Statement::kAssign;
      statement.name = Trim(sides[0]);
      statement.value = Unquote(sides[1]);
    } else if (text.back() == L')' && text.find(L'(') != std::wstring::npos) {
      const size_t open = text.find(L'(');
      statement.kind = Statement::kCall;
      statement.name = Trim(text.substr(0, open));
      const std::wstring inner = text.substr(open + 1, text.size() - open - 2);
      if (!Trim(inner).empty()) {
        for (const std::wstring& argument : SplitOutside(inner, L',')) statement.arguments.push_back(Unquote(argument));
      }
    } else {
      statement.kind = Statement::kRead;
      statement.name = text;
    }
    statements.push_back(statement);
  }
  return statements;
}

int FeatureValue(std::wstring_view features, std::wstring_view name, int absent) {
  for (const std::wstring& item : SplitOutside(features, L',')) {
    const size_t equals = item.find(L'=');
    const std::wstring key = Lower(Trim(item.substr(0, equals)));
    if (key != name) continue;
    if (equals == std::wstring::npos) return 1;
    const std::wstring value = Lower(Trim(item.substr(equals + 1)));
    if (value == L"yes" || value == L"true") return 1;
    if (value == L"no" || value == L"false") return 0;
    try {
      return std::stoi(value);
    } catch (...) {
      return absent;
    }
  }
  return absent;
}
