// The window features of a page's new-window request as one number.
#pragma once
#include <cstdint>

// The seven switches in the engine's order: menu bar, status bar, tool bar,
// location bar, scroll bars, resizable, full screen. Any non-zero byte counts as
// on; the first switch is bit 0, the last bit 6.
uint32_t WindowFeatureBits(const uint8_t (&switches)[7]);
