#include "websearch/WebSearch.h"

#include "platform/Controls.h"

namespace {

WebSearchControls webSearchControls;

HWND EngineBox(int i) { return webSearchControls.engineBoxes[static_cast<size_t>(i)]; }

EngineChoice ReadEngineChoice() {
  EngineChoice choice{};
  for (int i = 0; i < kEngineCount; ++i) choice[i] = IsChecked(EngineBox(i));
  return choice;
}

void WriteEngineChoice(const EngineChoice& choice) {
  for (int i = 0; i < kEngineCount; ++i) {
    if (IsChecked(EngineBox(i)) != choice[i]) SetChecked(EngineBox(i), choice[i]);
  }
}

}  // namespace

void SetWebSearchControls(const WebSearchControls& controls) { webSearchControls = controls; }

void KeepAnEngineChosen() { WriteEngineChoice(NormalizeEngineChoice(ReadEngineChoice())); }

void OpenChosenEngines(const std::function<void(const std::string& url)>& open) {
  for (int i = 0; i < kEngineCount; ++i) {
    if (!IsChecked(EngineBox(i))) continue;
    const std::string searchText = GetWindowTextGbk(webSearchControls.searchBox);
    open(QueryUrl(SearchEngines()[i], searchText));
  }
}

template <int box>
void OnEngineToggled() {
  WriteEngineChoice(AfterEngineToggled(ReadEngineChoice(), box));
}

template void OnEngineToggled<0>();
template void OnEngineToggled<1>();
template void OnEngineToggled<2>();
