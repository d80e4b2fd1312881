// Resetting a whole rich edit box to the standard format. The local search,
// the notepad's "格式化" and a dropped document's import all do it one way:
// ResetWholeText.
#pragma once
#include <windows.h>

#include <functional>

#include "answerbank/TextFormat.h"

// Applies `format` to the positions from `start` up to `end` in one request,
// the way that spares the box measuring every line of the text again (see
// the .cpp). Leaves that range selected.
void FormatInOneRequest(HWND box, long long start, long long end, const TextFormat& format);

// Gives the box's whole text `standard`, unless it has it throughout already
// (one format query over the whole text tells), in slices with `keepGoing`
// called after each one; false from it stops there, and so does this with
// false. Nothing stays selected: the caret stands at the start.
bool ResetWholeText(HWND box, const TextFormat& standard, const std::function<bool()>& keepGoing);

// Sets the standard format (answerbank/TextFormat.h) to 宋体 9 black and resets
// the box's whole text to it with ResetWholeText, drawing suspended. Pending
// messages are processed on the way, so the window stays responsive over a long
// text. False when the program began closing or the box went meanwhile, or
// without formats.
bool FormatWholeBox(HWND box);
// The same, and it stops as well once `keepGoing` returns false (it is asked
// after every pause for messages).
bool FormatWholeBox(HWND box, const std::function<bool()>& keepGoing);
