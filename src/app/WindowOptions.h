// The record of the main window's rectangle.
#pragma once

// Reads the main window's outer rectangle into WindowRect.
void RecordWindowRect();
