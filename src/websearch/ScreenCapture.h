// Screen word capture: a drag over text in any other program copies it,
// searches it here, and puts the user's clipboard back as it was.
#pragma once
#include <windows.h>

// On the GUI thread at creation: the system-wide mouse hook.
void InstallCaptureHook();
// On the GUI thread when closing is requested: removes the hook and lets a
// capture still running finish (its clipboard restore included).
void RemoveCaptureHook();

LRESULT CALLBACK CaptureHookProc(int code, WPARAM message, LPARAM info);

// The worker thread's routine.
void CaptureAndSearch();

void OnCaptureToggled();
