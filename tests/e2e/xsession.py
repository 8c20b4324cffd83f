"""Drives the real application on a virtual X server as a user would: finds
windows by their title, clicks at window coordinates, types, closes windows
through their close box (WM_DELETE_WINDOW) and keeps a screenshot of each step.

Needs Xvfb, xdotool and ImageMagick's import (scripts/install-deps)."""

import ctypes
import ctypes.util
import os
import re
import shutil
import subprocess
import time


class E2EError(Exception):
    pass


def wait_until(what, condition, timeout=10.0, interval=0.05):
    """The first true value of condition(), or E2EError after `timeout` seconds."""
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > deadline:
            raise E2EError("timed out waiting for " + what)
        time.sleep(interval)


class VirtualDisplay:
    """An Xvfb server on a display number it picks itself, so runs in parallel never clash."""

    def __init__(self, size="1024x768x24"):
        for tool in ("Xvfb", "xdotool", "import"):
            if not shutil.which(tool):
                raise E2EError(tool + " is missing: run scripts/install-deps")
        read_end, write_end = os.pipe()
        self.server = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", size, "-nolisten", "tcp", "-noreset"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as chosen:
            number = chosen.readline().strip()
        if not number:
            self.server.kill()
            raise E2EError("Xvfb did not start")
        self.name = ":" + number
        self.env = dict(os.environ, DISPLAY=self.name)
        self.env.pop("QT_QPA_PLATFORM", None)  # the real X platform, not the tests' offscreen one

    def close(self):
        self.server.terminate()
        try:
            self.server.wait(timeout=5)
        except subprocess.TimeoutExpired:
            self.server.kill()

    def __enter__(self):
        return self

    def __exit__(self, *_):
        self.close()


class Session:
    """One run of the application on a display, with its screenshots in `output`."""

    def __init__(self, display, app, output):
        self.display = display
        self.output = output
        self.step = 0
        shutil.rmtree(output, ignore_errors=True)  # only this run's screenshots
        os.makedirs(output)
        self.log = open(os.path.join(output, "output.log"), "w")
        self.process = subprocess.Popen([app], env=display.env, stdout=self.log, stderr=subprocess.STDOUT,
                                        start_new_session=True)

    def xdotool(self, *args, check=True):
        done = subprocess.run(["xdotool", *map(str, args)], env=self.display.env, capture_output=True, text=True)
        if check and done.returncode != 0:
            raise E2EError("xdotool %s: %s" % (" ".join(map(str, args)), done.stderr.strip()))
        return done.stdout

    # Windows

    def visible_windows(self):
        """The ids of the application's visible windows (menus and popups included)."""
        out = self.xdotool("search", "--onlyvisible", "--pid", self.process.pid, check=False)
        return [int(w) for w in out.split()]

    def wait_for_window(self, title, timeout=10.0):
        """The visible window whose title is exactly `title`."""
        def find():
            out = self.xdotool("search", "--onlyvisible", "--name", "^%s$" % re.escape(title), check=False)
            ids = [int(w) for w in out.split()]
            return Window(self, ids[0]) if ids else None
        return wait_until("the window \"%s\"" % title, find, timeout)

    def wait_for_new_window(self, known, timeout=5.0):
        """A visible window of the application that is not among `known` (a menu, a dialog)."""
        def find():
            new = [w for w in self.visible_windows() if w not in known]
            return Window(self, new[0]) if new else None
        return wait_until("a new window", find, timeout)

    def wait_gone(self, window, timeout=5.0):
        wait_until("window %d to go" % window.id, lambda: window.id not in self.visible_windows(), timeout)

    # Input

    def type(self, text):
        self.xdotool("type", "--delay", 30, text)

    def key(self, *keys):
        self.xdotool("key", "--delay", 30, *keys)

    # Results

    def screenshot(self, what, window=None):
        """Saves the screen, or only that window, as NN-<what>.png in the output folder."""
        self.step += 1
        path = os.path.join(self.output, "%02d-%s.png" % (self.step, what))
        target = str(window.id) if window else "root"
        subprocess.run(["import", "-window", target, path], env=self.display.env, check=True)
        return path

    def wait_exit(self, timeout=10.0):
        try:
            return self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise E2EError("the application did not exit")

    def close(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()
        self.log.close()


class Window:
    def __init__(self, session, window_id):
        self.session = session
        self.id = window_id

    def geometry(self):
        """(x, y, width, height) on the screen."""
        out = self.session.xdotool("getwindowgeometry", "--shell", self.id)
        values = dict(line.split("=", 1) for line in out.split())
        return int(values["X"]), int(values["Y"]), int(values["WIDTH"]), int(values["HEIGHT"])

    def click(self, x, y, button=1):
        """A click at window coordinates (from the window's top left, menu bar included)."""
        self.session.xdotool("mousemove", "--window", self.id, x, y)
        time.sleep(0.1)  # the pointer's arrival is an event of its own
        self.session.xdotool("click", button)

    def focus(self):
        self.session.xdotool("windowfocus", "--sync", self.id)

    def close(self):
        """What a click on the close box does: the window manager sends WM_DELETE_WINDOW."""
        send_delete_window(self.session.display.name, self.id)


def send_delete_window(display_name, window_id):
    x11 = ctypes.cdll.LoadLibrary(ctypes.util.find_library("X11") or "libX11.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XInternAtom.restype = ctypes.c_ulong
    x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.c_void_p]
    x11.XFlush.argtypes = [ctypes.c_void_p]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]

    class ClientMessage(ctypes.Structure):
        _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                    ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                    ("format", ctypes.c_int), ("data", ctypes.c_long * 5)]

    class XEvent(ctypes.Union):
        _fields_ = [("xclient", ClientMessage), ("pad", ctypes.c_long * 24)]

    display = x11.XOpenDisplay(display_name.encode())
    if not display:
        raise E2EError("cannot open display " + display_name)
    try:
        event = XEvent()
        event.xclient.type = 33  # ClientMessage
        event.xclient.window = window_id
        event.xclient.message_type = x11.XInternAtom(display, b"WM_PROTOCOLS", False)
        event.xclient.format = 32
        event.xclient.data[0] = x11.XInternAtom(display, b"WM_DELETE_WINDOW", False)
        event.xclient.data[1] = 0  # CurrentTime
        x11.XSendEvent(display, window_id, False, 0, ctypes.byref(event))
        x11.XFlush(display)
    finally:
        x11.XCloseDisplay(display)
