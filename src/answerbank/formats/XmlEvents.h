// The nodes of an XML document in the order a reader meets them, so that the
// code taking text out of a document depends on no one parser.
#pragma once
#include <string_view>

class XmlEventSink {
 public:
  virtual ~XmlEventSink() = default;
  // An element opens; an empty element is followed at once by its end.
  virtual void StartElement(std::u16string_view namespaceUri, std::u16string_view localName) = 0;
  virtual void EndElement() = 0;
  // Character data: text, CDATA sections and white space alike, with entities
  // and character references already resolved.
  virtual void Characters(std::u16string_view text) = 0;
  // The sink wants nothing more: the reader may stop early.
  virtual bool Full() const = 0;
};
