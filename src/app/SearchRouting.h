// Which search answers what: a click on the tab strip loads the search text
// into the current page's browser, and a captured text is searched where the
// radio buttons say.
#pragma once

// The tab strip's click handler.
void OnTabClicked();

// From the main window's creation to its close: the screen word capture.
void StartScreenCapture();
void StopScreenCapture();
// Tells the capture's hook whether a drag captures now (the capture box
// checked and the pointer last seen outside the window); called wherever
// either changes.
void RefreshCaptureWanted();

// The capture check box's click handler.
void OnCaptureToggled();
