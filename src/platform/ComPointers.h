// Getting hold of COM pointers as ComPtr: a reference of one's own on a
// borrowed pointer, another interface of the same object, and whether two
// pointers reach the same object.
#pragma once
#include <windows.h>
#include <unknwn.h>

#include "platform/Handles.h"

// A new reference on a pointer someone else owns; empty for null.
template <typename Interface>
ComPtr<Interface> ShareComPtr(Interface* borrowed) {
  ComPtr<Interface> shared;
  if (borrowed) {
    borrowed->AddRef();
    shared.Attach(borrowed);
  }
  return shared;
}

// The object's Interface; empty when `from` is null or the object has none.
template <typename Interface, typename From>
ComPtr<Interface> QueryComPtr(From* from) {
  ComPtr<Interface> found;
  if (from) from->QueryInterface(__uuidof(Interface), found.PutVoid());
  return found;
}

// COM identity: every interface of one object answers IUnknown with the same
// pointer, whatever pointer it was asked through.
inline bool SameComObject(IUnknown* a, IUnknown* b) {
  if (!a || !b) return false;
  const ComPtr<IUnknown> identityA = QueryComPtr<IUnknown>(a);
  const ComPtr<IUnknown> identityB = QueryComPtr<IUnknown>(b);
  return identityA && identityA.Get() == identityB.Get();
}
