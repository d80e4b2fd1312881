// Scripts: a few statements the stand-in understands, enough to call each
// of the host's script callbacks.
#pragma once
#include <string>

#include "View.h"

WkeScriptValue RunScript(View& view, const std::wstring& script);
