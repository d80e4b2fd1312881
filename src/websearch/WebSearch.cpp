#include "websearch/WebSearch.h"

#include "app/Globals.h"
#include "app/MainWindow.h"
#include "app/WindowDescription.h"
#include "platform/Controls.h"
#include "websearch/QueryUrl.h"

namespace {

HWND EngineBox(int i) { return MainWindow::Instance().Control(SearchEngines()[i].checkBox); }

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

void OnTabClicked() {
  MainWindow& main = MainWindow::Instance();
  WriteEngineChoice(NormalizeEngineChoice(ReadEngineChoice()));

  if (main.CurrentPage() == kIeBrowserPage) {
    for (int i = 0; i < kEngineCount; ++i) {
      if (!IsChecked(EngineBox(i))) continue;
      const std::string searchText = GetWindowTextGbk(main.Control("编辑框1"));
      main.Browser().SetAddress(QueryUrl(SearchEngines()[i], searchText));
    }
  }
  if (main.CurrentPage() == kWebKitPage) {
    for (int i = 0; i < kEngineCount; ++i) {
      if (!IsChecked(EngineBox(i))) continue;
      const std::string searchText = GetWindowTextGbk(main.Control("编辑框1"));
      Globals().engineView.LoadURL(QueryUrl(SearchEngines()[i], searchText));
    }
  }
}

template <int box>
void OnEngineToggled() {
  WriteEngineChoice(AfterEngineToggled(ReadEngineChoice(), box));
}

template void OnEngineToggled<0>();
template void OnEngineToggled<1>();
template void OnEngineToggled<2>();
