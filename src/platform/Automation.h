// Late-bound calls on automation objects: members named by their text, looked
// up and invoked through IDispatch, with the fall-backs between property and
// method that automation servers differ on.
#pragma once
#include <windows.h>
#include <oaidl.h>

#include <string>
#include <vector>

#include "platform/Handles.h"
#include "platform/Variant.h"

// Creates the object registered under `progId`; empty when there is none or
// it cannot be started.
ComPtr<IDispatch> CreateAutomationObject(const wchar_t* progId);

// Reads a property; when the object refuses the read, calls the member as a
// method instead. `result` may be null. A null target does nothing.
HRESULT AutomationGet(IDispatch* target, const wchar_t* member, Variant* result);

// Calls a method with its arguments in their written order; when the object
// refuses the call, reads the member as a property instead.
HRESULT AutomationCall(IDispatch* target, const wchar_t* member, std::vector<Variant>& arguments,
                       Variant* result = nullptr);
HRESULT AutomationCall(IDispatch* target, const wchar_t* member, Variant* result = nullptr);

// Writes a property; when the object refuses, writes it by reference instead.
HRESULT AutomationPut(IDispatch* target, const wchar_t* member, Variant& value);

// The object a result holds, as an IDispatch reference; the variant is
// cleared either way. Empty when it holds no object.
ComPtr<IDispatch> TakeObject(Variant& value);
