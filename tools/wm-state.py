#!/usr/bin/env python3
"""Keeps the WM_STATE property of the top-level windows of a virtual display,
the one part of a window manager that Wine waits for.

    wm-state.py            on $DISPLAY, until the display goes away

Our virtual displays have no window manager. Before Wine hides a window it
lets the window manager handle (one with a caption, or one that was active),
it waits until a window manager has marked that window shown (WM_STATE
Normal), and gives up only after 2 s: every closed program and every test
window would cost 2 s. Here a window mapped on the display is marked Normal,
and the mark is taken away again when it is unmapped, as a window manager
does (ICCCM 4.1.3.1). Nothing else of a window manager is done: no frames, no
focus, no stacking, so windows behave as on a bare display otherwise.

Plain Xlib through ctypes, so that it needs nothing beyond libX11.
"""

import ctypes
import ctypes.util
import sys

MAP_NOTIFY, UNMAP_NOTIFY = 19, 18
SUBSTRUCTURE_NOTIFY_MASK = 1 << 19
PROP_MODE_REPLACE = 0
NORMAL_STATE = 1


class AnyEvent(ctypes.Structure):
    """The fields that XMapEvent and XUnmapEvent share, up to the window."""
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("event", ctypes.c_ulong), ("window", ctypes.c_ulong)]


class Event(ctypes.Union):
    _fields_ = [("any", AnyEvent), ("pad", ctypes.c_long * 24)]


ERROR_HANDLER = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)
# A window may be gone by the time its property is written: ignore the error.
ignore_errors = ERROR_HANDLER(lambda display, error: 0)


def main():
    x = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
    x.XOpenDisplay.restype = ctypes.c_void_p
    x.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x.XDefaultRootWindow.restype = ctypes.c_ulong
    x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
    x.XInternAtom.restype = ctypes.c_ulong
    x.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x.XSelectInput.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_long]
    x.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.POINTER(Event)]
    x.XChangeProperty.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong, ctypes.c_ulong, ctypes.c_int,
                                  ctypes.c_int, ctypes.c_void_p, ctypes.c_int]
    x.XDeleteProperty.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong]
    x.XFlush.argtypes = [ctypes.c_void_p]
    x.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
    x.XSetErrorHandler.argtypes = [ERROR_HANDLER]

    display = x.XOpenDisplay(None)
    if not display:
        print("wm-state: cannot open the display", file=sys.stderr)
        return 1
    x.XSetErrorHandler(ignore_errors)
    root = x.XDefaultRootWindow(display)
    wm_state = x.XInternAtom(display, b"WM_STATE", 0)
    x.XSelectInput(display, root, SUBSTRUCTURE_NOTIFY_MASK)
    x.XSync(display, 0)
    # The caller starts its programs once this is read.
    print("wm-state: watching", flush=True)

    # WM_STATE: the state and the icon window (none), 32-bit items.
    normal = (ctypes.c_long * 2)(NORMAL_STATE, 0)
    event = Event()
    while True:
        # Returns only with an event; the display's end ends the program.
        x.XNextEvent(display, ctypes.byref(event))
        e = event.any
        if e.event != root:
            continue
        if e.type == MAP_NOTIFY:
            x.XChangeProperty(display, e.window, wm_state, wm_state, 32, PROP_MODE_REPLACE, normal, 2)
            x.XFlush(display)
        elif e.type == UNMAP_NOTIFY:
            # A withdrawn window has no WM_STATE (or Withdrawn); Wine waits
            # for that too before it shows the window again.
            x.XDeleteProperty(display, e.window, wm_state)
            x.XFlush(display)


if __name__ == "__main__":
    sys.exit(main())
