#include "app/Globals.h"

namespace {
std::unique_ptr<GlobalObjects>& Instance() {
  static std::unique_ptr<GlobalObjects> instance;
  return instance;
}
}  // namespace

void GlobalInit() {
  Instance() = std::make_unique<GlobalObjects>();
  SetSearchState(Instance().get());
}

void ExitCleanup() {
  SetSearchState(nullptr);
  Instance().reset();
}

GlobalObjects& Globals() { return *Instance(); }
