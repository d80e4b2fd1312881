// The program's calls into the engine library wke.dll. The library is loaded at
// the first call, looked for beside the program first; each entry point is looked
// up by name at its own first call. A missing library or entry point shows the
// engine message and ends the program with exit code -1.
#pragma once
#include "enginehost/WkeEntryPoints.h"

constexpr char kEngineLibrary[] = "wke.dll";

#define WKE_DECLARE_ENTRY(result, name, parameters, arguments) result name parameters;
WKE_ENTRY_POINTS(WKE_DECLARE_ENTRY)
#undef WKE_DECLARE_ENTRY
