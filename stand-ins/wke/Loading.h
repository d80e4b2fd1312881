// Loading: what a view shows for a URL, an HTML text or a file, its history,
// and the host's say over each navigation and new window.
#pragma once
#include <string>

#include "View.h"

// Asks the host, then shows the entry; false when the host cancelled.
bool Navigate(View& view, const HistoryEntry& entry, int type, bool addToHistory);
HistoryEntry UrlEntry(const std::wstring& url);
HistoryEntry FileEntry(const std::wstring& path);
// A page asks for a new window: the host says which view (if any) loads it.
bool OpenNewWindow(View& view, const std::wstring& url, const std::wstring& target, const std::wstring& features);
