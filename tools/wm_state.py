#!/usr/bin/env python3
"""Keeps the WM_STATE property of the X screen's top-level windows, as a window manager would.

The test screens run no window manager.  Wine withdraws a window that one manages (any window
with a caption: every dialog) and then waits up to two seconds for the manager to mark it
withdrawn; without one, every dialog's close cost those two seconds.  This marks each top-level
window normal when it is mapped and withdrawn when it is unmapped, and does nothing else: no
window is moved, framed, focused or stacked.  Through libX11 itself (ctypes), so that it needs
no package beyond what Wine brings.
usage: wm_state.py   (on $DISPLAY; runs until the X server goes away)
"""
import ctypes
import ctypes.util
import os
import sys

SUBSTRUCTURE_NOTIFY_MASK = 1 << 19
UNMAP_NOTIFY, MAP_NOTIFY = 18, 19
WITHDRAWN_STATE, NORMAL_STATE = 0, 1
PROP_MODE_REPLACE = 0

x11 = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
x11.XDefaultRootWindow.restype = ctypes.c_ulong
x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
x11.XInternAtom.restype = ctypes.c_ulong
x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
x11.XSelectInput.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_long]
x11.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.c_void_p]
x11.XChangeProperty.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong, ctypes.c_ulong, ctypes.c_int,
                                ctypes.c_int, ctypes.c_void_p, ctypes.c_int]
x11.XFlush.argtypes = [ctypes.c_void_p]

# A window may be gone by the time its state is written: that error is expected and ignored,
# where Xlib's default handler would end the program.
ERROR_HANDLER = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)
ignore_errors = ERROR_HANDLER(lambda display, error: 0)
x11.XSetErrorHandler(ignore_errors)
IO_ERROR_HANDLER = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p)
end_with_the_server = IO_ERROR_HANDLER(lambda display: os._exit(0))
x11.XSetIOErrorHandler(end_with_the_server)

display = x11.XOpenDisplay(None)
if not display:
    sys.exit("wm_state.py: cannot open the display")
root = x11.XDefaultRootWindow(display)
wm_state = x11.XInternAtom(display, b"WM_STATE", 0)
x11.XSelectInput(display, root, SUBSTRUCTURE_NOTIFY_MASK)
x11.XFlush(display)

# XEvent is 24 longs; XMapEvent and XUnmapEvent both hold type, serial, send_event, display,
# event, window, then override_redirect (map) or from_configure (unmap).
event = (ctypes.c_long * 24)()
state = (ctypes.c_long * 2)()
while True:
    x11.XNextEvent(display, event)
    kind = event[0] & 0xFFFFFFFF
    if kind not in (MAP_NOTIFY, UNMAP_NOTIFY):
        continue
    if kind == MAP_NOTIFY and event[6] & 0xFFFFFFFF:  # override-redirect: no manager's business
        continue
    state[0], state[1] = (NORMAL_STATE if kind == MAP_NOTIFY else WITHDRAWN_STATE), 0
    x11.XChangeProperty(display, event[5], wm_state, wm_state, 32, PROP_MODE_REPLACE, state, 2)
    x11.XFlush(display)
