#include <gtest/gtest.h>

#include "answerbank/formats/DocxText.h"

namespace {

const std::u16string kWord = u"http://schemas.openxmlformats.org/wordprocessingml/2006/main";

// Feeds the events of a compact notation: "<w:p>", "</w:p>", "<w:tab/>" and
// text between tags. Prefixes stand for namespaces: w WordprocessingML,
// s its Strict flavour, mc markup compatibility, o anything else.
void Feed(XmlEventSink& sink, std::u16string_view notation) {
  auto namespaceOf = [](std::u16string_view prefix) -> std::u16string {
    if (prefix == u"w") return kWord;
    if (prefix == u"s") return u"http://purl.oclc.org/ooxml/wordprocessingml/main";
    if (prefix == u"mc") return u"http://schemas.openxmlformats.org/markup-compatibility/2006";
    return u"urn:other";
  };
  size_t at = 0;
  while (at < notation.size()) {
    if (notation[at] != u'<') {
      const size_t next = notation.find(u'<', at);
      sink.Characters(notation.substr(at, next - at));
      at = next == std::u16string_view::npos ? notation.size() : next;
      continue;
    }
    const size_t close = notation.find(u'>', at);
    std::u16string_view tag = notation.substr(at + 1, close - at - 1);
    at = close + 1;
    if (tag[0] == u'/') {
      sink.EndElement();
      continue;
    }
    const bool empty = tag.back() == u'/';
    if (empty) tag.remove_suffix(1);
    tag = tag.substr(0, tag.find(u' '));  // attributes are not events
    const size_t colon = tag.find(u':');
    sink.StartElement(namespaceOf(tag.substr(0, colon)), tag.substr(colon + 1));
    if (empty) sink.EndElement();
  }
}

std::u16string TextOf(std::u16string_view notation, size_t maxUnits = 1000) {
  DocxText text(maxUnits);
  Feed(text, notation);
  return text.Text();
}

TEST(DocxText, ParagraphsRunsTabsAndBreaks) {
  EXPECT_EQ(TextOf(u"<w:p><w:r><w:t>第一</w:t></w:r><w:r><w:t>题</w:t><w:tab/><w:t>A</w:t><w:br/><w:t>B</w:t>"
                   u"<w:cr/><w:t>C</w:t></w:r></w:p>\n  <w:p/><w:p><w:r><w:t xml:space=\"preserve\"> D </w:t></w:r></w:p>"),
            u"第一题\tA\r\nB\r\nC\r\n\r\n D \r\n");
  // Tab stops in the paragraph's properties are no tabs; white space between elements is no text.
  EXPECT_EQ(TextOf(u"<w:p><w:pPr><w:tabs><w:tab/></w:tabs></w:pPr>\n <w:r>\n<w:rPr/><w:t>x</w:t></w:r></w:p>"), u"x\r\n");
}

TEST(DocxText, TableCellsAreTabSeparatedAndRowsAreLines) {
  EXPECT_EQ(TextOf(u"<w:p><w:r><w:t>表</w:t></w:r></w:p><w:tbl><w:tblPr/>"
                   u"<w:tr><w:tc><w:p><w:r><w:t>a</w:t></w:r></w:p></w:tc><w:tc><w:p><w:r><w:t>b</w:t></w:r></w:p></w:tc></w:tr>"
                   u"<w:tr><w:tc><w:p><w:r><w:t>c1</w:t></w:r></w:p><w:p><w:r><w:t>c2</w:t></w:r></w:p></w:tc>"
                   u"<w:tc><w:p/></w:tc><w:tc><w:p><w:r><w:t>d</w:t></w:r></w:p></w:tc></w:tr>"
                   u"</w:tbl><w:p><w:r><w:t>后</w:t></w:r></w:p>"),
            u"表\r\na\tb\r\nc1\r\nc2\t\td\r\n后\r\n");
}

TEST(DocxText, DeletionsMovesFieldCodesAndFallbacksAreLeftOut) {
  EXPECT_EQ(TextOf(u"<w:p><w:r><w:t>保留</w:t></w:r>"
                   u"<w:del><w:r><w:delText>删除</w:delText><w:t>x</w:t><w:tab/></w:r><w:del/></w:del>"
                   u"<w:moveFrom><w:r><w:t>移走</w:t></w:r></w:moveFrom><w:moveTo><w:r><w:t>移来</w:t></w:r></w:moveTo>"
                   u"<w:r><w:fldChar/></w:r><w:r><w:instrText> PAGE </w:instrText></w:r><w:r><w:fldChar/></w:r>"
                   u"<w:r><w:t>3</w:t></w:r><w:ins><w:r><w:t>插入</w:t></w:r></w:ins></w:p>"),
            u"保留移来3插入\r\n");
  // A text box is written twice: as a drawing and, for older readers, as a fallback.
  EXPECT_EQ(TextOf(u"<w:p><w:r><mc:AlternateContent><mc:Choice><o:txbx><w:txbxContent><w:p><w:r><w:t>框</w:t>"
                   u"</w:r></w:p></w:txbxContent></o:txbx></mc:Choice><mc:Fallback><w:p><w:r><w:t>框</w:t></w:r></w:p>"
                   u"</mc:Fallback></mc:AlternateContent></w:r><w:r><w:t>外</w:t></w:r></w:p>"),
            u"框\r\n外\r\n");
}

TEST(DocxText, ElementsAreKnownByTheirNamespaceNotTheirPrefix) {
  EXPECT_EQ(TextOf(u"<o:p><o:r><o:t>other</o:t><o:tab/></o:r></o:p>"), u"");
  EXPECT_EQ(TextOf(u"<s:p><s:r><s:t>strict</s:t><s:tab/></s:r></s:p>"), u"strict\t\r\n");
  EXPECT_EQ(TextOf(u"<w:p><w:r><o:t>no</o:t><w:t>yes</w:t><o:del><w:t>kept</w:t></o:del></w:r></w:p>"), u"yeskept\r\n");
}

TEST(DocxText, TextBeyondTheLimitIsNotKept) {
  DocxText exact(6);
  Feed(exact, u"<w:p><w:r><w:t>1234</w:t></w:r></w:p>");
  EXPECT_FALSE(exact.TooLong());
  EXPECT_EQ(exact.Text(), u"1234\r\n");
  DocxText over(6);
  Feed(over, u"<w:p><w:r><w:t>12345</w:t></w:r></w:p><w:p><w:r><w:t>6</w:t></w:r></w:p>");
  EXPECT_TRUE(over.TooLong());
  EXPECT_TRUE(over.Full());
  EXPECT_EQ(over.Text(), u"12345");
}

TEST(DocxText, EventsOfABrokenDocumentDoNoHarm) {
  // More ends than starts, text outside any element, ends crossing a left-out part.
  EXPECT_EQ(TextOf(u"</w:p></w:tc>loose<w:p><w:del></w:p></w:del></w:del><w:r><w:t>z</w:t></w:r></w:p></w:tr></w:tr>"),
            u"\r\nz");
}

}  // namespace
