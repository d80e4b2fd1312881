// The arguments of IDispatch::Invoke in their written order. IDispatch passes
// them last first; these two types turn them round, one for a call the program
// makes, one for a call (such as an event) it receives.
#pragma once
#include <windows.h>
#include <oaidl.h>

#include <string>
#include <vector>

#include "platform/Variant.h"

// The DISPPARAMS of a call. It shares the contents of the arguments, which
// stay the caller's and must outlive it: Invoke frees nothing it is given.
class CallParameters {
 public:
  // `arguments` may be null for none. A put (DISPATCH_PROPERTYPUT or
  // DISPATCH_PROPERTYPUTREF) names its value DISPID_PROPERTYPUT, as IDispatch wants.
  CallParameters(const std::vector<Variant>* arguments, WORD kind);
  CallParameters(const CallParameters&) = delete;
  CallParameters& operator=(const CallParameters&) = delete;

  DISPPARAMS* Get() { return &parameters_; }

 private:
  std::vector<VARIANTARG> reversed_;
  DISPID putId_ = DISPID_PROPERTYPUT;
  DISPPARAMS parameters_{};
};

// The arguments a call received, read by their written position; nothing is
// copied or taken over. An argument may come by value, by reference, or as a
// VARIANT by reference; the readers accept each.
class ReceivedArguments {
 public:
  explicit ReceivedArguments(const DISPPARAMS& parameters);

  UINT Count() const { return count_; }
  // The argument at a written position, a VARIANT by reference followed; an
  // empty variant past the end.
  const VARIANT& At(UINT index) const;
  // A text (BSTR); "" for anything else.
  std::wstring Text(UINT index) const;
  // A VARIANT_BOOL by reference, which the callee may set; null for anything else.
  VARIANT_BOOL* BoolRef(UINT index) const;
  // An object, borrowed; null for anything else.
  IDispatch* Object(UINT index) const;

 private:
  const VARIANTARG* arguments_;
  UINT count_;
};
