#include "app/Globals.h"

namespace {
std::unique_ptr<GlobalObjects>& Instance() {
  static std::unique_ptr<GlobalObjects> instance;
  return instance;
}
}  // namespace

void GlobalInit() {
  Instance() = std::make_unique<GlobalObjects>();
  SetTextFormats(Instance().get());
  SetSearchState(Instance().get());
}

void ExitCleanup() {
  SetSearchState(nullptr);
  SetTextFormats(nullptr);
  Instance().reset();
}

GlobalObjects& Globals() { return *Instance(); }
