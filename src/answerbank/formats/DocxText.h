// The plain text of a Word document's body (word/document.xml), built from
// its XML events: each paragraph a line ending CR LF, tabs and line breaks
// kept, table cells separated by tabs and each row a line, runs joined.
// Deleted and moved-away revisions, field codes and the fallback copies of
// drawings (text boxes appear twice in the file) are left out, so the text is
// the document as it reads. Elements are matched by namespace, not prefix.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "answerbank/formats/XmlEvents.h"

class DocxText : public XmlEventSink {
 public:
  // Text beyond `maxUnits` UTF-16 units is not kept and TooLong() says so.
  explicit DocxText(size_t maxUnits);

  void StartElement(std::u16string_view namespaceUri, std::u16string_view localName) override;
  void EndElement() override;
  void Characters(std::u16string_view text) override;
  bool Full() const override { return tooLong_; }

  bool TooLong() const { return tooLong_; }
  const std::u16string& Text() const { return text_; }
  std::u16string TakeText() { return std::move(text_); }

 private:
  enum class Kind : uint8_t { kOther, kLeftOut, kParagraph, kRun, kText, kRow, kCell };
  static constexpr size_t kNone = static_cast<size_t>(-1);
  struct Frame {
    Kind kind;
    // Of a row: its cells so far. Of a cell: its paragraphs ended so far.
    uint32_t count;
    // Index of the nearest row, and of the nearest cell or paragraph, at or
    // below this frame, so that no event has to search the stack.
    size_t row;
    size_t container;
  };

  Kind KindOf(std::u16string_view namespaceUri, std::u16string_view localName) const;
  void Push(Kind kind);
  void Append(std::u16string_view units);
  void LineEnd() { Append(u"\r\n"); }
  bool InRun() const { return !stack_.empty() && stack_.back().kind == Kind::kRun; }

  size_t maxUnits_;
  std::u16string text_;
  bool tooLong_ = false;
  std::vector<Frame> stack_;
  size_t leftOutDepth_ = 0;  // open elements whose content is left out
};
