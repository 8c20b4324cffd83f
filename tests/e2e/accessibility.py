"""Reads what the application shows through Qt's own accessibility (AT-SPI):
the texts of its labels, fields and buttons, their states and where they lie
on the screen. Each run has a D-Bus session and an accessibility bus of its
own, so runs in parallel never see each other's programs.

Needs dbus-daemon, at-spi2-core and python3-dbus (scripts/install-deps)."""

import os
import shutil
import subprocess
import tempfile

import dbus

ACCESSIBLE = "org.a11y.atspi.Accessible"
COMPONENT = "org.a11y.atspi.Component"
TEXT = "org.a11y.atspi.Text"
PROPERTIES = "org.freedesktop.DBus.Properties"
REGISTRY = ("org.a11y.atspi.Registry", "/org/a11y/atspi/accessible/root")
NULL_PATH = "/org/a11y/atspi/null"  # a reference to no object (an empty view has one)

# AT-SPI's state numbers (atspi-constants.h); a state is a bit of two 32-bit words.
STATES = {"checked": 4, "enabled": 8, "focused": 12, "modal": 16, "showing": 25, "visible": 30}


class AccessibilityBus:
    """A private D-Bus session with the accessibility bus on it; `env` is what
    a program needs to be seen there."""

    def __init__(self, env):
        self.folder = tempfile.mkdtemp(prefix="quelmar-e2e-bus-")
        os.chmod(self.folder, 0o700)
        env = dict(env, XDG_RUNTIME_DIR=self.folder)
        # Its own process group: the bus takes the services it starts with it.
        self.daemon = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--print-address=1"],
                                       env=env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True,
                                       start_new_session=True)
        address = self.daemon.stdout.readline().strip()
        if not address:
            self.close()
            raise RuntimeError("dbus-daemon did not start")
        self.env = dict(env, DBUS_SESSION_BUS_ADDRESS=address, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
        # Asking for the bus's address starts it, so it is up before the program looks for it.
        session = dbus.bus.BusConnection(address)
        a11y = session.get_object("org.a11y.Bus", "/org/a11y/bus").GetAddress(dbus_interface="org.a11y.Bus")
        self.connection = dbus.bus.BusConnection(str(a11y))
        self.registry = Node(self.connection, *REGISTRY)

    def applications(self):
        return self.registry.children()

    def close(self):
        try:
            os.killpg(self.daemon.pid, 15)
        except ProcessLookupError:
            pass
        self.daemon.wait()
        shutil.rmtree(self.folder, ignore_errors=True)


class Node:
    """One accessible object: a window, a control, a menu item. Every read may
    raise dbus.DBusException once the object is gone."""

    def __init__(self, connection, bus_name, path):
        self.connection = connection
        self.bus_name = str(bus_name)
        self.path = str(path)
        self.proxy = connection.get_object(self.bus_name, self.path, introspect=False)

    def __eq__(self, other):
        return isinstance(other, Node) and (self.bus_name, self.path) == (other.bus_name, other.path)

    def __hash__(self):
        return hash((self.bus_name, self.path))

    def __repr__(self):
        try:
            return "<%s %r>" % (self.role, self.name)
        except dbus.DBusException:
            return "<gone %s>" % self.path

    @property
    def name(self):
        return str(self.proxy.Get(ACCESSIBLE, "Name", dbus_interface=PROPERTIES))

    @property
    def role(self):
        return str(self.proxy.GetRoleName(dbus_interface=ACCESSIBLE))

    def children(self):
        return [Node(self.connection, bus, path) for bus, path in self.proxy.GetChildren(dbus_interface=ACCESSIBLE)
                if str(path) != NULL_PATH]

    def has(self, state):
        words = self.proxy.GetState(dbus_interface=ACCESSIBLE)
        number = STATES[state]
        return bool(int(words[number // 32]) & (1 << (number % 32)))

    def text(self):
        """The text of a field or a label (a label's text is its name)."""
        try:
            return str(self.proxy.GetText(0, -1, dbus_interface=TEXT))
        except dbus.DBusException:
            return self.name

    def selection(self):
        """(start, end) of the first selected stretch of a field's text; (0, 0) for none."""
        if int(self.proxy.GetNSelections(dbus_interface=TEXT)) == 0:
            return 0, 0
        start, end = self.proxy.GetSelection(0, dbus_interface=TEXT)
        return int(start), int(end)

    def extents(self):
        """(x, y, width, height) on the screen."""
        x, y, width, height = self.proxy.GetExtents(dbus.UInt32(0), dbus_interface=COMPONENT)
        return int(x), int(y), int(width), int(height)

    def descendants(self):
        for child in self.children():
            yield child
            yield from child.descendants()

    def find(self, role=None, name=None):
        """The first descendant of that role and name (either may be left out), or None."""
        for node in self.descendants():
            if (role is None or node.role == role) and (name is None or node.name == name):
                return node
        return None

    def find_all(self, role=None, name=None):
        return [n for n in self.descendants() if (role is None or n.role == role) and (name is None or n.name == name)]
