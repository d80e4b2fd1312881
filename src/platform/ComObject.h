// The IUnknown part of a COM object the program implements itself for one
// interface: a thread-safe reference count that starts at 1 and frees the
// object at the last Release.
#pragma once
#include <windows.h>
#include <unknwn.h>

#include <atomic>

template <typename Interface>
class ComObject : public Interface {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, __uuidof(Interface))) {
      *object = static_cast<Interface*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

 protected:
  ComObject() = default;
  // Only Release frees the object.
  virtual ~ComObject() = default;

 private:
  std::atomic<ULONG> references_{1};
};
