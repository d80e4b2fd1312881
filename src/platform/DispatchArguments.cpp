#include "platform/DispatchArguments.h"

#include "platform/Bstr.h"

CallParameters::CallParameters(const std::vector<Variant>* arguments, WORD kind) {
  if (arguments) {
    // Copies of the VARIANT structures only: they share their texts and objects.
    for (auto it = arguments->rbegin(); it != arguments->rend(); ++it) reversed_.push_back(it->Ref());
  }
  parameters_.rgvarg = reversed_.empty() ? nullptr : reversed_.data();
  parameters_.cArgs = static_cast<UINT>(reversed_.size());
  if (kind == DISPATCH_PROPERTYPUT || kind == DISPATCH_PROPERTYPUTREF) {
    parameters_.rgdispidNamedArgs = &putId_;
    parameters_.cNamedArgs = 1;
  }
}

ReceivedArguments::ReceivedArguments(const DISPPARAMS& parameters)
    : arguments_(parameters.rgvarg), count_(parameters.rgvarg ? parameters.cArgs : 0) {}

const VARIANT& ReceivedArguments::At(UINT index) const {
  static const VARIANT empty{};  // VT_EMPTY
  if (index >= count_) return empty;
  const VARIANT& argument = arguments_[count_ - 1 - index];
  if (argument.vt == (VT_BYREF | VT_VARIANT) && argument.pvarVal) return *argument.pvarVal;
  return argument;
}

std::wstring ReceivedArguments::Text(UINT index) const {
  const VARIANT& v = At(index);
  if (v.vt == VT_BSTR) return Bstr::TextOf(v.bstrVal);
  if (v.vt == (VT_BYREF | VT_BSTR) && v.pbstrVal) return Bstr::TextOf(*v.pbstrVal);
  return std::wstring();
}

VARIANT_BOOL* ReceivedArguments::BoolRef(UINT index) const {
  const VARIANT& v = At(index);
  return v.vt == (VT_BYREF | VT_BOOL) ? v.pboolVal : nullptr;
}

IDispatch* ReceivedArguments::Object(UINT index) const {
  const VARIANT& v = At(index);
  if (v.vt == VT_DISPATCH) return v.pdispVal;
  if (v.vt == (VT_BYREF | VT_DISPATCH) && v.ppdispVal) return *v.ppdispVal;
  return nullptr;
}
