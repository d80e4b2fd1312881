// Dragging files (or text) onto a window through OLE, as the shell would: a
// data object with a CF_HDROP list, a drop source that lets go on its third
// question, and DoDragDrop with the pointer over the target. Used by the Wine
// tests and by the end-to-end file dropper. Needs OLE on the calling thread.
#pragma once
#include <windows.h>
#include <ole2.h>
#include <shlobj.h>
#include <shellapi.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/ComObject.h"
#include "platform/Handles.h"

namespace filedrag {

// The bytes of a wide CF_HDROP block: DROPFILES, then each path and a final empty one.
inline std::vector<char> FileListBlock(const std::vector<std::wstring>& paths) {
  std::wstring names;
  for (const std::wstring& path : paths) names += path + L'\0';
  names += L'\0';
  if (paths.empty()) names += L'\0';  // readers look for the end past the first zero
  std::vector<char> block(sizeof(DROPFILES) + names.size() * sizeof(wchar_t));
  DROPFILES header{};
  header.pFiles = sizeof(DROPFILES);
  header.fWide = TRUE;
  std::memcpy(block.data(), &header, sizeof header);
  std::memcpy(block.data() + sizeof header, names.data(), names.size() * sizeof(wchar_t));
  return block;
}

inline std::vector<char> UnicodeTextBlock(const std::wstring& text) {
  std::vector<char> block((text.size() + 1) * sizeof(wchar_t));
  std::memcpy(block.data(), text.c_str(), block.size());
  return block;
}

// Offers one memory format.
class DataObject final : public ComObject<IDataObject> {
 public:
  DataObject(CLIPFORMAT format, std::vector<char> bytes) : bytes_(std::move(bytes)) {
    format_ = FORMATETC{format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  }

  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* wanted, STGMEDIUM* medium) override {
    if (QueryGetData(wanted) != S_OK) return DV_E_FORMATETC;
    GlobalMemory memory(GlobalAlloc(GMEM_MOVEABLE, bytes_.size()));
    GlobalLockGuard lock(memory.Get());
    if (!lock) return E_OUTOFMEMORY;
    std::memcpy(lock.Data(), bytes_.data(), bytes_.size());
    *medium = STGMEDIUM{};
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = memory.Release();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* wanted) override {
    if (!wanted) return E_INVALIDARG;
    if (wanted->cfFormat != format_.cfFormat || !(wanted->tymed & TYMED_HGLOBAL)) return DV_E_FORMATETC;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
    if (out) out->ptd = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** formats) override {
    if (direction != DATADIR_GET) return E_NOTIMPL;
    return SHCreateStdEnumFmtEtc(1, &format_, formats);
  }
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

 private:
  ~DataObject() = default;
  FORMATETC format_;
  std::vector<char> bytes_;
};

// Lets go once it has been asked a few times, so the pointer has been seen
// over the target first.
class DropSource final : public ComObject<IDropSource> {
 public:
  HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escape, DWORD) override {
    if (escape) return DRAGDROP_S_CANCEL;
    return ++questions_ >= 3 ? DRAGDROP_S_DROP : S_OK;
  }
  HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }

 private:
  ~DropSource() = default;
  int questions_ = 0;
};

struct DragResult {
  HRESULT hr = E_FAIL;
  DWORD effect = DROPEFFECT_NONE;
};

// Moves the pointer to (x, y) and drags the data there.
inline DragResult Drag(CLIPFORMAT format, std::vector<char> bytes, int x, int y) {
  SetCursorPos(x, y);
  ComPtr<IDataObject> data;
  data.Attach(new DataObject(format, std::move(bytes)));
  ComPtr<IDropSource> source;
  source.Attach(new DropSource());
  DragResult result;
  result.hr = DoDragDrop(data.Get(), source.Get(), DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK, &result.effect);
  return result;
}

inline DragResult DragFiles(const std::vector<std::wstring>& paths, int x, int y) {
  return Drag(CF_HDROP, FileListBlock(paths), x, y);
}

inline DragResult DragText(const std::wstring& text, int x, int y) {
  return Drag(CF_UNICODETEXT, UnicodeTextBlock(text), x, y);
}

}  // namespace filedrag
