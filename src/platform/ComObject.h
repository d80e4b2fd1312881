// The IUnknown part of a COM object the program implements itself: a
// thread-safe reference count that starts at 1 and frees the object at the last
// Release, and a QueryInterface that answers each interface the object lists.
//
//   class Site final : public ComObject<IOleClientSite, WithBases<IOleInPlaceSite, IOleWindow>> { ... };
//
// IUnknown is answered with the first interface listed, always the same
// pointer, as COM's identity rule wants. An interface answers for the
// interfaces it derives from only when WithBases names them: C++ cannot list
// a class's bases, and an interface must not appear twice among the object's
// own bases (the pointer to give for it would be ambiguous).
#pragma once
#include <windows.h>
#include <unknwn.h>

#include <atomic>

template <typename Interface, typename... Bases>
struct WithBases {};

namespace com_object {

// One entry of ComObject's list: the interface it inherits and the IIDs it answers.
template <typename Entry>
struct Listed {
  using Interface = Entry;
  static bool Answers(REFIID iid) { return IsEqualIID(iid, __uuidof(Entry)); }
};

template <typename Entry, typename... Bases>
struct Listed<WithBases<Entry, Bases...>> {
  using Interface = Entry;
  static bool Answers(REFIID iid) {
    return IsEqualIID(iid, __uuidof(Entry)) || (IsEqualIID(iid, __uuidof(Bases)) || ...);
  }
};

template <typename First, typename...>
struct FirstOf {
  using Type = First;
};

}  // namespace com_object

template <typename... Entries>
class ComObject : public com_object::Listed<Entries>::Interface... {
  static_assert(sizeof...(Entries) > 0, "a COM object implements at least one interface");
  using Identity = typename com_object::Listed<typename com_object::FirstOf<Entries...>::Type>::Interface;

 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (IsEqualIID(iid, IID_IUnknown)) {
      *object = static_cast<Identity*>(this);
    } else {
      // The first entry that answers gives the pointer.
      (void)((com_object::Listed<Entries>::Answers(iid) &&
              (*object = static_cast<typename com_object::Listed<Entries>::Interface*>(this))) ||
             ...);
    }
    if (!*object) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

  // The count now, for an owner that hands references out and must see them
  // all come back.
  ULONG References() const { return references_.load(); }

 protected:
  ComObject() = default;
  // Only Release frees the object.
  virtual ~ComObject() = default;

 private:
  std::atomic<ULONG> references_{1};
};
