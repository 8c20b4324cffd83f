"""Drives the real application on a virtual X server as a user would: moves
the pointer, clicks, types, closes windows through their close box
(WM_DELETE_WINDOW), and keeps a screenshot of each step. What the
application shows (windows, texts, states, where a control lies) is read
through its accessibility interface, so every wait is for something the user
would see, never a fixed time.

Needs Xvfb, xdotool and ImageMagick (scripts/install-deps), and what
accessibility.py needs."""

import ctypes
import ctypes.util
import os
import re
import shutil
import subprocess
import time

import dbus

from accessibility import AccessibilityBus

# Generous, for a machine that runs the whole suite at once, but bounded.
WINDOW_TIMEOUT = 30.0
WORK_TIMEOUT = 120.0


class E2EError(Exception):
    pass


def wait_until(what, condition, timeout=WINDOW_TIMEOUT, interval=0.05):
    """The first true value of condition(), or E2EError after `timeout` seconds.
    An accessible object that goes while it is read counts as not there yet."""
    deadline = time.monotonic() + timeout
    while True:
        try:
            value = condition()
        except dbus.DBusException:
            value = None
        if value:
            return value
        if time.monotonic() > deadline:
            raise E2EError("timed out waiting for " + what)
        time.sleep(interval)


class VirtualDisplay:
    """An Xvfb server on a display number it picks itself, so runs in parallel never clash."""

    def __init__(self, size="1024x768x24"):
        for tool in ("Xvfb", "xdotool", "import", "convert", "dbus-daemon"):
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
    """One run of the application on a display, started in `workdir` with `home`
    as its user's home folder (where its file dialogs first open, and where Qt
    keeps what it remembers of them), with its screenshots and its output in
    `output`."""

    def __init__(self, display, app, output, workdir, home):
        self.display = display
        self.output = output
        self.home = home
        self.step = 0
        shutil.rmtree(output, ignore_errors=True)  # only this run's screenshots
        os.makedirs(output)
        os.makedirs(home, exist_ok=True)
        self.log = open(os.path.join(output, "output.log"), "w")
        self.bus = AccessibilityBus(display.env)
        self.env = dict(self.bus.env, HOME=home)
        self.process = subprocess.Popen([app], env=self.env, cwd=workdir, stdout=self.log,
                                        stderr=subprocess.STDOUT, start_new_session=True)
        self.app = wait_until("the application on the accessibility bus", self._application)

    def _application(self):
        if self.process.poll() is not None:
            raise E2EError("the application ended at start with %d" % self.process.returncode)
        apps = self.bus.applications()
        return apps[0] if apps else None

    def xdotool(self, *args, check=True):
        done = subprocess.run(["xdotool", *map(str, args)], env=self.env, capture_output=True, text=True)
        if check and done.returncode != 0:
            raise E2EError("xdotool %s: %s" % (" ".join(map(str, args)), done.stderr.strip()))
        return done.stdout

    # What the application shows

    def shown(self, name=None):
        """The application's top-level windows on the screen (by their title)."""
        return [w for w in self.app.children() if w.has("showing") and (name is None or w.name == name)]

    def wait_for_shown(self, name, text=None, timeout=WINDOW_TIMEOUT):
        """The top-level window of that title on the screen; with `text`, one that shows that label."""
        def find():
            for window in self.shown(name):
                if text is None or window.find("label", text):
                    return window
            return None
        what = "the window \"%s\"" % name + (" saying \"%s\"" % text if text else "")
        return wait_until(what, find, timeout)

    def wait_hidden(self, node, timeout=WINDOW_TIMEOUT):
        def hidden():
            try:
                return not node.has("showing")
            except dbus.DBusException:
                return True  # gone altogether
        wait_until("%r to go" % node, hidden, timeout)

    @staticmethod
    def control(window, role, name, index=0):
        """The window's `index`-th control on the screen of that role and name, top to bottom."""
        found = sorted((c for c in window.find_all(role, name) if c.has("showing")), key=lambda c: c.extents()[1])
        if len(found) <= index:
            raise E2EError("no %s \"%s\" on the screen in %r" % (role, name, window))
        return found[index]

    # Input

    def click(self, node):
        """A click in the middle of a control, where the user sees it."""
        x, y, width, height = node.extents()
        self.click_at(x + width // 2, y + height // 2)

    def click_at(self, x, y):
        # Not "mousemove --sync": it waits for a motion that never comes when
        # the pointer is there already.
        self.xdotool("mousemove", x, y)
        wait_until("the pointer at %d,%d" % (x, y), lambda: self.pointer() == (x, y))
        self.xdotool("click", 1)

    def pointer(self):
        values = dict(line.split("=", 1) for line in self.xdotool("getmouselocation", "--shell").split())
        return int(values["X"]), int(values["Y"])

    def type(self, text):
        self.xdotool("type", "--delay", 20, text)

    def key(self, *keys):
        self.xdotool("key", "--delay", 30, *keys)

    # X windows

    def visible_windows(self):
        """The ids of the application's mapped X windows (menus and popups included)."""
        out = self.xdotool("search", "--onlyvisible", "--pid", self.process.pid, check=False)
        return [int(w) for w in out.split()]

    def wait_for_window(self, title, timeout=WINDOW_TIMEOUT):
        """The mapped X window whose title is exactly `title`."""
        def find():
            # --all: xdotool's default takes a window that meets any one of the conditions.
            out = self.xdotool("search", "--all", "--onlyvisible", "--pid", self.process.pid,
                               "--name", "^%s$" % re.escape(title), check=False)
            ids = [int(w) for w in out.split()]
            return Window(self, ids[0]) if ids else None
        return wait_until("the X window \"%s\"" % title, find, timeout)

    def wait_for_new_window(self, known, timeout=WINDOW_TIMEOUT):
        """A mapped X window of the application that is not among `known` (a menu, a dialog)."""
        def find():
            new = [w for w in self.visible_windows() if w not in known]
            return Window(self, new[0]) if new else None
        return wait_until("a new window", find, timeout)

    def wait_gone(self, window, timeout=WINDOW_TIMEOUT):
        wait_until("window %d to go" % window.id, lambda: window.id not in self.visible_windows(), timeout)

    # Results

    def screenshot(self, what, area=None):
        """Saves the screen, or the area (x, y, width, height) of it, as
        NN-<what>.png in the output folder, once it has stopped changing."""
        self.step += 1
        path = os.path.join(self.output, "%02d-%s.png" % (self.step, what))
        crop = ["-crop", "%dx%d+%d+%d" % (area[2], area[3], area[0], area[1])] if area else []

        def grab():
            return subprocess.run(["import", "-window", "root", *crop, "ppm:-"], env=self.env,
                                  capture_output=True, check=True).stdout
        image, deadline = grab(), time.monotonic() + 5.0
        while time.monotonic() < deadline:
            time.sleep(0.1)
            again = grab()
            if again == image:
                break
            image = again
        subprocess.run(["convert", "ppm:-", path], input=image, check=True)
        return path

    def wait_exit(self, timeout=WINDOW_TIMEOUT):
        try:
            return self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise E2EError("the application did not exit")

    def close(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()
        self.bus.close()
        self.log.close()


class Window:
    """An X window of the application."""

    def __init__(self, session, window_id):
        self.session = session
        self.id = window_id

    def geometry(self):
        """(x, y, width, height) on the screen."""
        out = self.session.xdotool("getwindowgeometry", "--shell", self.id)
        values = dict(line.split("=", 1) for line in out.split())
        return int(values["X"]), int(values["Y"]), int(values["WIDTH"]), int(values["HEIGHT"])

    def click(self, x, y):
        """A click at window coordinates (from the window's top left, menu bar included)."""
        left, top, _, _ = self.geometry()
        self.session.click_at(left + x, top + y)

    def focus(self):
        self.session.xdotool("windowfocus", "--sync", self.id)

    def close(self, handled_by=None):
        """What a click on the close box does: the window manager sends
        WM_DELETE_WINDOW. With `handled_by`, another window of the
        application, returns once the application has handled the request,
        whatever it made of it."""
        send_delete_window(self.session.display.name, self.id, handled_by.id if handled_by else None)


def send_delete_window(display_name, window_id, answering=None, timeout=WINDOW_TIMEOUT):
    """Sends the window the close request (WM_DELETE_WINDOW). With
    `answering`, another window of the same application, then pings that one
    (_NET_WM_PING) twice and waits for each answer: the application handles
    its messages in order, so by then the close request has done all it will."""
    x11 = ctypes.cdll.LoadLibrary(ctypes.util.find_library("X11") or "libX11.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XInternAtom.restype = ctypes.c_ulong
    x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x11.XDefaultRootWindow.restype = ctypes.c_ulong
    x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
    x11.XSelectInput.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_long]
    x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.c_void_p]
    x11.XPending.argtypes = [ctypes.c_void_p]
    x11.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.c_void_p]
    x11.XFlush.argtypes = [ctypes.c_void_p]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]

    class ClientMessage(ctypes.Structure):
        _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                    ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                    ("format", ctypes.c_int), ("data", ctypes.c_long * 5)]

    class XEvent(ctypes.Union):
        _fields_ = [("xclient", ClientMessage), ("pad", ctypes.c_long * 24)]

    # The answer goes to the root window, for the window manager: to the
    # clients that select its structure (as Qt sends it) or its substructure
    # (as the window managers' convention has it).
    client_message, structure_notify, substructure_notify = 33, 1 << 17, 1 << 19
    display = x11.XOpenDisplay(display_name.encode())
    if not display:
        raise E2EError("cannot open display " + display_name)
    try:
        protocols = x11.XInternAtom(display, b"WM_PROTOCOLS", False)
        root = x11.XDefaultRootWindow(display)
        if answering:
            x11.XSelectInput(display, root, structure_notify | substructure_notify)

        def send(to, *data):
            event = XEvent()
            event.xclient.type = client_message
            event.xclient.window = to
            event.xclient.message_type = protocols
            event.xclient.format = 32
            for i, value in enumerate(data):
                event.xclient.data[i] = value
            x11.XSendEvent(display, to, False, 0, ctypes.byref(event))

        send(window_id, x11.XInternAtom(display, b"WM_DELETE_WINDOW", False), 0)  # at CurrentTime
        if not answering:
            x11.XFlush(display)
            return
        ping = x11.XInternAtom(display, b"_NET_WM_PING", False)

        def answered(stamp):
            while x11.XPending(display):
                event = XEvent()
                x11.XNextEvent(display, ctypes.byref(event))
                message = event.xclient
                if (message.type == client_message and message.message_type == protocols
                        and message.data[0] == ping and message.data[1] == stamp):
                    return True
            return False

        # Qt answers a ping as it reads it, and may read it in one go with the
        # close request, whose close event it delivers only after: the answer
        # to a second ping comes once all of the first batch has been handled.
        for stamp in (os.getpid() & 0x7fffffff, (os.getpid() & 0x7fffffff) ^ 1):
            send(answering, ping, stamp, answering)
            x11.XFlush(display)
            wait_until("the answer to a ping after the close request", lambda: answered(stamp), timeout)
    finally:
        x11.XCloseDisplay(display)
