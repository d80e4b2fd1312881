#include "app/DropTarget.h"

#include <ole2.h>
#include <shellapi.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "answerbank/import/DocumentImport.h"
#include "platform/BaseWindow.h"
#include "platform/ComObject.h"
#include "platform/Handles.h"
#include "platform/NoMemory.h"
#include "platform/Text.h"

namespace {

constexpr wchar_t kRelayClass[] = L"TavrelDropRelay";
constexpr UINT kDeliverDrop = WM_APP + 0x40;

// Gives the storage of GetData back when it goes out of scope.
class StorageMedium {
 public:
  StorageMedium() = default;
  ~StorageMedium() {
    if (medium_.tymed != TYMED_NULL) ReleaseStgMedium(&medium_);
  }
  StorageMedium(const StorageMedium&) = delete;
  StorageMedium& operator=(const StorageMedium&) = delete;
  STGMEDIUM* Put() { return &medium_; }
  const STGMEDIUM& Ref() const { return medium_; }

 private:
  STGMEDIUM medium_{};
};

FORMATETC FileListFormat() { return FORMATETC{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL}; }

bool OffersFiles(IDataObject* data) {
  FORMATETC format = FileListFormat();
  return data && data->QueryGetData(&format) == S_OK;
}

// Every path of a CF_HDROP list, in the shell's order.
std::vector<std::wstring> DroppedFileNames(IDataObject* data) {
  std::vector<std::wstring> names;
  FORMATETC format = FileListFormat();
  StorageMedium medium;
  if (FAILED(data->GetData(&format, medium.Put())) || medium.Ref().tymed != TYMED_HGLOBAL) return names;
  GlobalLockGuard lock(medium.Ref().hGlobal);
  if (!lock) return names;
  const auto drop = static_cast<HDROP>(lock.Data());
  const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    const UINT length = DragQueryFileW(drop, i, nullptr, 0);
    std::wstring name(length + 1, L'\0');
    const UINT copied = DragQueryFileW(drop, i, name.data(), length + 1);
    name.resize(copied);
    if (!name.empty()) names.push_back(std::move(name));
  }
  return names;
}

// The drop's paths are delivered through a message to the relay window, once
// the drop itself has returned.
class FileDropTarget final : public ComObject<IDropTarget>, public BaseWindow<FileDropTarget> {
 public:
  explicit FileDropTarget(FilesDroppedHandler handler) : handler_(std::move(handler)) {
    relay_.Reset(CreateMessageWindow(kRelayClass));
  }
  FileDropTarget(const FileDropTarget&) = delete;
  FileDropTarget& operator=(const FileDropTarget&) = delete;

  // IDropTarget
  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
    accepting_ = OffersFiles(data);
    return Answer(effect);
  }
  HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL, DWORD* effect) override { return Answer(effect); }
  HRESULT STDMETHODCALLTYPE DragLeave() override {
    accepting_ = false;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
    accepting_ = false;
    // Called from the system's drag and drop: running out of memory refuses this drop only.
    bool queued = false;
    RunReportingNoMemory([&] { queued = Queue(data); });
    if (effect) *effect = queued ? DROPEFFECT_COPY : DROPEFFECT_NONE;
    return S_OK;
  }

 private:
  ~FileDropTarget() = default;

  // Keeps the drop's files for the relay; false when it offers none.
  bool Queue(IDataObject* data) {
    if (!OffersFiles(data)) return false;
    std::vector<std::wstring> names = DroppedFileNames(data);
    if (names.empty()) return false;
    pending_.push_back(DroppedPaths{std::move(names)});
    PostMessageW(relay_.Get(), kDeliverDrop, 0, 0);
    return true;
  }

  HRESULT Answer(DWORD* effect) const {
    if (!effect) return E_INVALIDARG;
    // The files are opened, not moved: copy is the only effect offered.
    *effect = accepting_ && (*effect & DROPEFFECT_COPY) ? DROPEFFECT_COPY : DROPEFFECT_NONE;
    return S_OK;
  }

  void Deliver() {
    AddRef();  // the handler may revoke the registration, which lets go of this target
    std::vector<DroppedPaths> drops;
    drops.swap(pending_);
    for (const DroppedPaths& paths : drops) handler_(paths);
    Release();
  }

  friend class BaseWindow<FileDropTarget>;
  LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kDeliverDrop) {
      Deliver();
      return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
  }

  FilesDroppedHandler handler_;
  OwnedWindow relay_;
  std::vector<DroppedPaths> pending_;
  bool accepting_ = false;
};

std::map<HWND, ComPtr<FileDropTarget>>& Registered() {
  static std::map<HWND, ComPtr<FileDropTarget>> registered;
  return registered;
}

}  // namespace

HRESULT RegisterFileDropTarget(HWND window, FilesDroppedHandler handler) {
  ComPtr<FileDropTarget> target;
  target.Attach(new FileDropTarget(std::move(handler)));
  const HRESULT hr = RegisterDragDrop(window, target.Get());
  if (SUCCEEDED(hr)) Registered()[window] = std::move(target);
  return hr;
}

void RevokeFileDropTarget(HWND window) {
  const auto found = Registered().find(window);
  if (found == Registered().end()) return;
  RevokeDragDrop(window);
  Registered().erase(found);
}

DroppedPaths& CurrentDroppedPaths() {
  static DroppedPaths paths;
  return paths;
}

void OnFilesDroppedEvent() { OnFilesDropped(CurrentDroppedPaths()); }
