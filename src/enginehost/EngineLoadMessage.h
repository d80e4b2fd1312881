// The one failure message of the program: the engine library or one of its
// entry points is missing.
#pragma once
#include <string>

// GBK text naming the library file and the entry point.
std::string EngineLoadMessage(const std::string& library, const std::string& entryPoint);
