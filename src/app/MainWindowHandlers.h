// Handlers of the main window itself and of the IE-engine page.
#pragma once

void OnWindowCreated();
void OnCloseRequested();
void OnWindowResized();

void BrowserBack();
void BrowserForward();
void BrowserRefresh();
void BrowserNewWindowInPlace();
