#include "answerbank/formats/DocxText.h"

namespace {

// WordprocessingML as Word writes it, and in the "Strict Open XML" flavour.
constexpr std::u16string_view kWordNamespace = u"http://schemas.openxmlformats.org/wordprocessingml/2006/main";
constexpr std::u16string_view kStrictWordNamespace = u"http://purl.oclc.org/ooxml/wordprocessingml/main";
constexpr std::u16string_view kCompatibilityNamespace = u"http://schemas.openxmlformats.org/markup-compatibility/2006";

}  // namespace

DocxText::DocxText(size_t maxUnits) : maxUnits_(maxUnits) {}

DocxText::Kind DocxText::KindOf(std::u16string_view namespaceUri, std::u16string_view localName) const {
  if (namespaceUri == kCompatibilityNamespace) return localName == u"Fallback" ? Kind::kLeftOut : Kind::kOther;
  if (namespaceUri != kWordNamespace && namespaceUri != kStrictWordNamespace) return Kind::kOther;
  if (localName == u"p") return Kind::kParagraph;
  if (localName == u"r") return Kind::kRun;
  if (localName == u"t") return Kind::kText;
  if (localName == u"tr") return Kind::kRow;
  if (localName == u"tc") return Kind::kCell;
  if (localName == u"del" || localName == u"moveFrom" || localName == u"delText" || localName == u"instrText" ||
      localName == u"delInstrText") {
    return Kind::kLeftOut;
  }
  return Kind::kOther;
}

void DocxText::Push(Kind kind) {
  Frame frame{kind, 0, kNone, kNone};
  if (!stack_.empty()) {
    frame.row = stack_.back().row;
    frame.container = stack_.back().container;
  }
  if (kind == Kind::kRow) frame.row = stack_.size();
  if (kind == Kind::kCell || kind == Kind::kParagraph) frame.container = stack_.size();
  stack_.push_back(frame);
}

void DocxText::StartElement(std::u16string_view namespaceUri, std::u16string_view localName) {
  if (leftOutDepth_ > 0) {
    const Kind kind = KindOf(namespaceUri, localName);
    if (kind == Kind::kLeftOut) ++leftOutDepth_;
    Push(kind == Kind::kLeftOut ? kind : Kind::kOther);
    return;
  }
  const Kind kind = KindOf(namespaceUri, localName);
  const size_t container = stack_.empty() ? kNone : stack_.back().container;
  switch (kind) {
    case Kind::kLeftOut:
      ++leftOutDepth_;
      break;
    case Kind::kParagraph:
      // A cell's paragraphs are lines of their own, but its last one ends
      // with the cell, not with a line end.
      if (container != kNone && stack_[container].kind == Kind::kCell && stack_[container].count > 0) LineEnd();
      break;
    case Kind::kCell: {
      const size_t row = stack_.empty() ? kNone : stack_.back().row;
      if (row != kNone && stack_[row].count++ > 0) Append(u"\t");
      break;
    }
    case Kind::kOther:
      if (namespaceUri != kWordNamespace && namespaceUri != kStrictWordNamespace) break;
      // Tab stops and the like share these names outside runs.
      if (!InRun()) break;
      if (localName == u"tab" || localName == u"ptab") Append(u"\t");
      if (localName == u"br" || localName == u"cr") LineEnd();
      if (localName == u"noBreakHyphen") Append(u"-");
      break;
    default:
      break;
  }
  Push(kind);
}

void DocxText::EndElement() {
  // Events from a broken document may close more than was opened.
  if (stack_.empty()) return;
  const Frame frame = stack_.back();
  stack_.pop_back();
  if (frame.kind == Kind::kLeftOut) {
    --leftOutDepth_;
    return;
  }
  if (leftOutDepth_ > 0) return;
  if (frame.kind == Kind::kRow) {
    LineEnd();
  } else if (frame.kind == Kind::kParagraph) {
    const size_t container = stack_.empty() ? kNone : stack_.back().container;
    if (container != kNone && stack_[container].kind == Kind::kCell) {
      ++stack_[container].count;
    } else {
      LineEnd();
    }
  }
}

void DocxText::Characters(std::u16string_view text) {
  if (leftOutDepth_ == 0 && !stack_.empty() && stack_.back().kind == Kind::kText) Append(text);
}

void DocxText::Append(std::u16string_view units) {
  if (tooLong_) return;
  if (units.size() > maxUnits_ - text_.size()) {
    tooLong_ = true;
    return;
  }
  text_.append(units);
}
