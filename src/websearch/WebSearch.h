// The web search: a click on the tab strip searches the search box's text in
// the page's browser, with the engine the check boxes choose.
#pragma once

void OnTabClicked();

// Click handler of the engine check box `box` (0, 1, 2 in the engines' order).
template <int box>
void OnEngineToggled();

extern template void OnEngineToggled<0>();
extern template void OnEngineToggled<1>();
extern template void OnEngineToggled<2>();
