// Resetting a whole rich edit box to the standard format, as the notepad's
// "格式化" and a dropped document's import both do.
#pragma once
#include <windows.h>

#include <functional>

// Sets the standard format (answerbank/TextFormat.h) to 宋体 9 black, selects the box's whole text from position 0, applies the
// format to it and leaves nothing selected. Pending messages are processed on
// the way, so the window stays responsive over a long text. False when the
// program began closing or the box went meanwhile, or without formats.
bool FormatWholeBox(HWND box);
// The same, and it stops as well once `keepGoing` returns false (it is asked
// after every pause for messages).
bool FormatWholeBox(HWND box, const std::function<bool()>& keepGoing);
