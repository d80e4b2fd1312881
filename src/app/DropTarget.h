// The main window as an OLE drop target for files: a drop of one or more
// files reaches a handler with their paths; a drop of anything else is refused.
#pragma once
#include <windows.h>

#include <functional>

#include "answerbank/import/DroppedPaths.h"

using FilesDroppedHandler = std::function<void(const DroppedPaths&)>;

// Registers `window` as a drop target whose file drops reach `handler`, after
// the drop itself has returned (the program the files came from is not kept
// waiting while they are imported). Needs OLE on the calling thread.
HRESULT RegisterFileDropTarget(HWND window, FilesDroppedHandler handler);
void RevokeFileDropTarget(HWND window);

// The paths of the drop whose event is being raised, and the handler the
// binding table holds for the main window's file-drop event.
DroppedPaths& CurrentDroppedPaths();
void OnFilesDroppedEvent();
