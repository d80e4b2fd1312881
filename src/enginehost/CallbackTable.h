// The engine callbacks the view bridges, in the order of its trampoline table,
// with the number of 32-bit arguments the engine passes to each.
#pragma once
#include <array>

enum CallbackIndex : int {
  kTitleChanged = 0,
  kURLChanged = 1,
  kPaintUpdated = 2,
  kAlertBox = 3,
  kConfirmBox = 4,
  kPromptBox = 5,
  kConsoleMessage = 6,
  kNavigation = 7,
  kCreateView = 8,
  kDocumentReady = 9,
  kLoadingFinish = 10,
};

constexpr int kCallbackCount = 11;

// The engine's view and the registration parameter come first in every one.
constexpr std::array<int, kCallbackCount> kCallbackArgumentCounts = {3, 3, 7, 3, 3, 5, 3, 4, 3, 3, 5};
