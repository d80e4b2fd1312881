// An XML document's nodes read by the system's XML reader (XmlLite) and
// passed to an event sink. xmllite.dll is loaded at run time: the toolchain
// has its header but no import library.
#pragma once
#include <string_view>

#include "answerbank/formats/XmlEvents.h"

enum class XmlReadResult {
  kDone,
  kStopped,      // the sink was full; the rest was not read
  kMalformed,    // not well-formed, a DTD, or nested too deeply
  kUnavailable,  // no XmlLite on this system
};

// Elements nested deeper than this make the document malformed; Word's own
// nesting (tables in tables) stays far below it.
constexpr unsigned kMaxXmlDepth = 256;

// Reads the document in `bytes` (its encoding from its BOM or declaration).
// A document type declaration is refused rather than processed, so no entity
// can expand.
XmlReadResult ReadXmlEvents(std::string_view bytes, XmlEventSink& sink);
