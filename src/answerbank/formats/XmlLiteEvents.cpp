#include "answerbank/formats/XmlLiteEvents.h"

#include <windows.h>
#include <objidl.h>
#include <xmllite.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/ComObject.h"
#include "platform/Handles.h"

namespace {

using CreateXmlReaderFunction = HRESULT(WINAPI*)(REFIID, void**, IMalloc*);

// The bytes as the stream XmlLite reads from, without a copy.
//
// Wine's XmlLite keeps the wrong byte when one read ends inside or right after
// a multi-byte UTF-8 character, which garbles the text and often the markup.
// So in a UTF-8 document each read ends after an ASCII byte wherever the
// bytes asked for hold one; markup is ASCII, so nearly every read can.
class ByteStream : public ComObject<ISequentialStream> {
 public:
  explicit ByteStream(std::string_view bytes) : bytes_(bytes), utf16_(LooksLikeUtf16(bytes)) {}

  HRESULT STDMETHODCALLTYPE Read(void* buffer, ULONG size, ULONG* read) override {
    if (!buffer) return STG_E_INVALIDPOINTER;
    size_t count = std::min<size_t>(size, bytes_.size() - position_);
    if (!utf16_ && position_ + count < bytes_.size()) {
      size_t ascii = count;
      while (ascii > 0 && static_cast<unsigned char>(bytes_[position_ + ascii - 1]) >= 0x80) --ascii;
      if (ascii > 0) count = ascii;
    }
    std::memcpy(buffer, bytes_.data() + position_, count);
    position_ += count;
    if (read) *read = static_cast<ULONG>(count);
    // A short read before the end is no end of the stream.
    return count == size || position_ < bytes_.size() ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Write(const void*, ULONG, ULONG*) override { return STG_E_ACCESSDENIED; }

 private:
  // A byte order mark, or the NUL byte of "<" in UTF-16.
  static bool LooksLikeUtf16(std::string_view bytes) {
    return bytes.size() >= 2 && (bytes.substr(0, 2) == "\xFF\xFE" || bytes.substr(0, 2) == "\xFE\xFF" ||
                                 bytes[0] == '\0' || bytes[1] == '\0');
  }

  std::string_view bytes_;
  bool utf16_;
  size_t position_ = 0;
};

// From the system folder only: a DLL of that name beside a dropped file or
// in the current folder is never loaded.
OwnedModule LoadXmlLite() {
  wchar_t folder[MAX_PATH];
  const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return OwnedModule();
  return OwnedModule(LoadLibraryW((std::wstring(folder, length) + L"\\xmllite.dll").c_str()));
}

std::u16string_view View(const WCHAR* text, UINT length, std::u16string& buffer) {
  // WCHAR and char16_t are both UTF-16 units on Windows but distinct types: copy.
  buffer.assign(text, text + length);
  return buffer;
}

XmlReadResult Pump(IXmlReader& reader, XmlEventSink& sink) {
  std::u16string namespaceUri, localName, value;
  XmlNodeType type;
  HRESULT result;
  while ((result = reader.Read(&type)) == S_OK) {
    if (sink.Full()) return XmlReadResult::kStopped;
    const WCHAR* text = nullptr;
    UINT length = 0;
    switch (type) {
      case XmlNodeType_Element: {
        const bool empty = reader.IsEmptyElement();
        if (FAILED(reader.GetNamespaceUri(&text, &length))) return XmlReadResult::kMalformed;
        View(text, length, namespaceUri);
        if (FAILED(reader.GetLocalName(&text, &length))) return XmlReadResult::kMalformed;
        sink.StartElement(namespaceUri, View(text, length, localName));
        if (empty) sink.EndElement();
        break;
      }
      case XmlNodeType_EndElement:
        sink.EndElement();
        break;
      case XmlNodeType_Text:
      case XmlNodeType_CDATA:
      case XmlNodeType_Whitespace:
        if (FAILED(reader.GetValue(&text, &length))) return XmlReadResult::kMalformed;
        sink.Characters(View(text, length, value));
        break;
      default:
        break;
    }
  }
  // S_FALSE: the end of the document.
  return result == S_FALSE ? XmlReadResult::kDone : XmlReadResult::kMalformed;
}

}  // namespace

XmlReadResult ReadXmlEvents(std::string_view bytes, XmlEventSink& sink) {
  // Declared first so that it is freed last, after every object it made.
  const OwnedModule module = LoadXmlLite();
  const auto create = module ? reinterpret_cast<CreateXmlReaderFunction>(
                                   reinterpret_cast<void (*)()>(GetProcAddress(module.Get(), "CreateXmlReader")))
                             : nullptr;
  if (!create) return XmlReadResult::kUnavailable;
  ComPtr<IXmlReader> reader;
  if (FAILED(create(__uuidof(IXmlReader), reader.PutVoid(), nullptr))) return XmlReadResult::kUnavailable;
  const bool configured =
      SUCCEEDED(reader->SetProperty(XmlReaderProperty_DtdProcessing, DtdProcessing_Prohibit)) &&
      SUCCEEDED(reader->SetProperty(XmlReaderProperty_MaxElementDepth, kMaxXmlDepth));
  if (!configured) return XmlReadResult::kUnavailable;
  ComPtr<ISequentialStream> stream;
  stream.Attach(new ByteStream(bytes));
  if (FAILED(reader->SetInput(stream.Get()))) return XmlReadResult::kMalformed;
  return Pump(*reader.Get(), sink);
}
