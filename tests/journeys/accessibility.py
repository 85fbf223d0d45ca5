"""The window as a screen reader sees it: through the desktop's accessibility bus (AT-SPI).

A journey's world gets the accessibility bus of its own session (at-spi-bus-launcher, which
starts the registry daemon on it), and Kelvane starts with Qt's bridge on
(QT_LINUX_ACCESSIBILITY_ALWAYS_ON), so nothing depends on a desktop's settings. The tree is
read with pyatspi (python3-pyatspi, the system's python3), the way Orca reads it.
"""

import os
import sys

import journey as j

LAUNCHER = "/usr/libexec/at-spi-bus-launcher"

# The roles a user operates; each must have a name. Scroll bars are left out: they follow
# their view and screen readers move through the view itself.
CONTROL_ROLES = {
    "push button", "toggle button", "check box", "radio button", "slider", "spin button",
    "combo box", "text", "password text", "entry", "menu item", "check menu item",
    "radio menu item", "list item", "table cell", "tree item", "page tab", "progress bar",
    "list", "table", "tree", "tree table", "link",
}


def needs_pyatspi(name):
    """Exits 77 (skipped) with the reason when this python has no pyatspi."""
    try:
        import pyatspi  # noqa: F401
    except ImportError as missing:
        print(f"journey {name}: {missing} (python3-pyatspi under {sys.executable})")
        sys.exit(77)
    if not os.path.exists(LAUNCHER):
        print(f"journey {name}: {LAUNCHER} is missing (at-spi2-core)")
        sys.exit(77)


class Bus:
    """The session's accessibility bus, and this process as a client of it."""

    def __init__(self, world, display):
        world.spawn([LAUNCHER, "--launch-immediately"], "at-spi", env=display.env())
        # This process reads the tree of the journey's session, not of whatever
        # session ran the suite.
        os.environ["DBUS_SESSION_BUS_ADDRESS"] = world.env["DBUS_SESSION_BUS_ADDRESS"]
        os.environ["DISPLAY"] = display.name
        os.environ.pop("AT_SPI_BUS_ADDRESS", None)
        import pyatspi
        from gi.repository import Atspi
        self.pyatspi = pyatspi
        # Every look asks the window again: a cached name or state could be an old one.
        pyatspi.Registry.getDesktop(0).set_cache_mask(Atspi.Cache.NONE)
        self.events = []
        self._listening = set()
        # Where the focus went, as the focus events say: popups (an album's songs) are
        # not children of the application in the tree, and screen readers follow them
        # through these events.
        self.last_focus = None
        self.focus_moves = []
        self.listen("object:state-changed:focused")

    def kelvane_env(self):
        return {"QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1", "QT_ACCESSIBILITY": "1"}

    def app(self):
        """Kelvane's application object, once it has joined the bus."""
        def find():
            try:
                desktop = self.pyatspi.Registry.getDesktop(0)
                for i in range(desktop.childCount):
                    child = desktop.getChildAtIndex(i)
                    if child is not None and child.name == "Kelvane":
                        return child
            except Exception:  # the registry may still be starting
                return None
            return None
        return j.wait_for("Kelvane on the accessibility bus", find)

    # Events: counted, never timed.
    def listen(self, kind):
        if kind in self._listening:
            return
        self._listening.add(kind)
        self.pyatspi.Registry.registerEventListener(self._on_event, kind)

    def _on_event(self, event):
        if event.type.startswith("object:state-changed:focused"):
            if event.detail1:
                self.last_focus = event.source
                self.focus_moves.append(describe(event.source))
            return
        try:
            self.events.append((event.type, event.source.name, event.source.description))
        except Exception:
            self.events.append((event.type, None, None))

    def pump(self):
        from gi.repository import GLib
        context = GLib.MainContext.default()
        while context.iteration(False):
            pass

    def wait_for(self, what, condition, cap=None):
        """j.wait_for, with this process's events delivered between the looks."""
        def look():
            self.pump()
            return condition()
        return j.wait_for(what, look, cap=cap)


def role(node):
    try:
        return node.getRoleName()
    except Exception:
        return "?"


def states(node):
    try:
        return node.getState()
    except Exception:
        return None


def has_state(node, state):
    s = states(node)
    return s is not None and s.contains(state)


def walk(node, depth=0, limit=60, max_children=400):
    """Every object under node (node first), depth first; a table's cells up to
    max_children, which is enough to judge how the cells are named."""
    if node is None or depth > limit:
        return
    yield node
    try:
        count = node.childCount
    except Exception:
        return
    for i in range(min(count, max_children)):
        try:
            child = node.getChildAtIndex(i)
        except Exception:
            continue
        yield from walk(child, depth + 1, limit, max_children)


def showing(bus, node):
    return has_state(node, bus.pyatspi.STATE_SHOWING)


def find(bus, root, predicate):
    for node in walk(root):
        try:
            if predicate(node):
                return node
        except Exception:
            continue
    return None


def find_named(bus, root, role_name, name, visible=True):
    return find(bus, root, lambda n: role(n) == role_name and n.name == name
                and (not visible or showing(bus, n)))


def describe(node):
    if node is None:
        return "nothing"
    return f"{role(node)} {node.name!r}"


def in_named(node, role_name, name):
    """node, or one of its parents, is the role_name called name."""
    while node is not None:
        if role(node) == role_name and node.name == name:
            return True
        try:
            node = node.parent
        except Exception:
            return False
    return False
