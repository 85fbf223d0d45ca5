"""Just enough Xlib, through ctypes, to watch a window from outside: find it by process,
read its title, copy a rectangle of its pixels and fake keys and wheel clicks.

One Display per instance, used from one thread. Polling through Xlib costs well under a
millisecond a call, where spawning xdotool or import costs 5-50 ms: the latency figures
depend on that.
"""
import ctypes
import ctypes.util

_x11 = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
try:
    _xtst = ctypes.CDLL(ctypes.util.find_library("Xtst") or "libXtst.so.6")
except OSError:  # keys and wheel then go through xdotool
    _xtst = None

Window = ctypes.c_ulong
Atom = ctypes.c_ulong


class _XImage(ctypes.Structure):
    # Only the leading fields are read; the rest of the structure stays opaque.
    _fields_ = [
        ("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
        ("format", ctypes.c_int), ("data", ctypes.c_void_p), ("byte_order", ctypes.c_int),
        ("bitmap_unit", ctypes.c_int), ("bitmap_bit_order", ctypes.c_int),
        ("bitmap_pad", ctypes.c_int), ("depth", ctypes.c_int), ("bytes_per_line", ctypes.c_int),
        ("bits_per_pixel", ctypes.c_int),
    ]


class _XWindowAttributes(ctypes.Structure):
    _fields_ = [
        ("x", ctypes.c_int), ("y", ctypes.c_int), ("width", ctypes.c_int), ("height", ctypes.c_int),
        ("border_width", ctypes.c_int), ("depth", ctypes.c_int), ("visual", ctypes.c_void_p),
        ("root", Window), ("c_class", ctypes.c_int), ("bit_gravity", ctypes.c_int),
        ("win_gravity", ctypes.c_int), ("backing_store", ctypes.c_int),
        ("backing_planes", ctypes.c_ulong), ("backing_pixel", ctypes.c_ulong),
        ("save_under", ctypes.c_int), ("colormap", ctypes.c_ulong),
        ("map_installed", ctypes.c_int), ("map_state", ctypes.c_int),
        ("all_event_masks", ctypes.c_long), ("your_event_mask", ctypes.c_long),
        ("do_not_propagate_mask", ctypes.c_long), ("override_redirect", ctypes.c_int),
        ("screen", ctypes.c_void_p),
    ]


_x11.XOpenDisplay.restype = ctypes.c_void_p
_x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
_x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
_x11.XDefaultRootWindow.restype = Window
_x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
_x11.XInternAtom.restype = Atom
_x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
_x11.XGetImage.restype = ctypes.POINTER(_XImage)
_x11.XGetImage.argtypes = [ctypes.c_void_p, Window, ctypes.c_int, ctypes.c_int, ctypes.c_uint,
                           ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
_x11.XDestroyImage.argtypes = [ctypes.POINTER(_XImage)]
_x11.XGetWindowProperty.argtypes = [
    ctypes.c_void_p, Window, Atom, ctypes.c_long, ctypes.c_long, ctypes.c_int, Atom,
    ctypes.POINTER(Atom), ctypes.POINTER(ctypes.c_int), ctypes.POINTER(ctypes.c_ulong),
    ctypes.POINTER(ctypes.c_ulong), ctypes.POINTER(ctypes.c_void_p)]
_x11.XFree.argtypes = [ctypes.c_void_p]
_x11.XQueryTree.argtypes = [ctypes.c_void_p, Window, ctypes.POINTER(Window), ctypes.POINTER(Window),
                            ctypes.POINTER(ctypes.POINTER(Window)), ctypes.POINTER(ctypes.c_uint)]
_x11.XGetWindowAttributes.argtypes = [ctypes.c_void_p, Window, ctypes.POINTER(_XWindowAttributes)]
_x11.XTranslateCoordinates.argtypes = [ctypes.c_void_p, Window, Window, ctypes.c_int, ctypes.c_int,
                                       ctypes.POINTER(ctypes.c_int), ctypes.POINTER(ctypes.c_int),
                                       ctypes.POINTER(Window)]
_x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
_x11.XFlush.argtypes = [ctypes.c_void_p]
_x11.XKeysymToKeycode.restype = ctypes.c_ubyte
_x11.XKeysymToKeycode.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
_x11.XStringToKeysym.restype = ctypes.c_ulong
_x11.XStringToKeysym.argtypes = [ctypes.c_char_p]
_x11.XSetErrorHandler.restype = ctypes.c_void_p
_ERROR_HANDLER = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)(lambda d, e: 0)
# A window may go away between finding it and reading it: ignore the error, as xdotool does.
_x11.XSetErrorHandler(_ERROR_HANDLER)
if _xtst:
    _xtst.XTestFakeKeyEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int, ctypes.c_ulong]
    _xtst.XTestFakeButtonEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int, ctypes.c_ulong]
    _xtst.XTestFakeMotionEvent.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int, ctypes.c_int,
                                           ctypes.c_ulong]

_ALL_PLANES = 0xFFFFFFFF
_Z_PIXMAP = 2
_IS_VIEWABLE = 2


class Display:
    def __init__(self, name):
        self._d = _x11.XOpenDisplay(name.encode())
        if not self._d:
            raise RuntimeError(f"cannot open X display {name}")
        self.root = _x11.XDefaultRootWindow(self._d)
        self._pid_atom = _x11.XInternAtom(self._d, b"_NET_WM_PID", 0)
        self._name_atom = _x11.XInternAtom(self._d, b"_NET_WM_NAME", 0)
        self._utf8 = _x11.XInternAtom(self._d, b"UTF8_STRING", 0)

    def close(self):
        if self._d:
            _x11.XCloseDisplay(self._d)
            self._d = None

    def _property(self, window, atom, kind, length=4096):
        actual, fmt = Atom(), ctypes.c_int()
        count, after, data = ctypes.c_ulong(), ctypes.c_ulong(), ctypes.c_void_p()
        if _x11.XGetWindowProperty(self._d, window, atom, 0, length, 0, kind, ctypes.byref(actual),
                                   ctypes.byref(fmt), ctypes.byref(count), ctypes.byref(after),
                                   ctypes.byref(data)) != 0 or not data.value:
            return None, 0, 0
        try:
            size = {8: 1, 16: ctypes.sizeof(ctypes.c_short), 32: ctypes.sizeof(ctypes.c_long)}.get(fmt.value, 1)
            return ctypes.string_at(data.value, count.value * size), fmt.value, count.value
        finally:
            _x11.XFree(data)

    def _children(self, window):
        root, parent = Window(), Window()
        kids, n = ctypes.POINTER(Window)(), ctypes.c_uint()
        if not _x11.XQueryTree(self._d, window, ctypes.byref(root), ctypes.byref(parent),
                               ctypes.byref(kids), ctypes.byref(n)):
            return []
        try:
            return [kids[i] for i in range(n.value)]
        finally:
            if kids:
                _x11.XFree(kids)

    def _viewable(self, window):
        attrs = _XWindowAttributes()
        if not _x11.XGetWindowAttributes(self._d, window, ctypes.byref(attrs)):
            return False
        return attrs.map_state == _IS_VIEWABLE

    def geometry(self, window):
        attrs = _XWindowAttributes()
        if not _x11.XGetWindowAttributes(self._d, window, ctypes.byref(attrs)):
            return None
        return attrs.width, attrs.height

    def window_pid(self, window):
        raw, fmt, count = self._property(window, self._pid_atom, 6)  # XA_CARDINAL
        if not raw or fmt != 32 or count < 1:
            return None
        return ctypes.c_ulong.from_buffer_copy(raw[:ctypes.sizeof(ctypes.c_ulong)]).value

    def mapped_windows_of(self, pid):
        """Viewable top-level client windows whose _NET_WM_PID is pid (under a window
        manager they sit one or two levels below the root, inside its frames)."""
        found = []
        stack = [(w, 0) for w in self._children(self.root)]
        while stack:
            window, depth = stack.pop()
            if self.window_pid(window) == pid and self._viewable(window):
                found.append(window)
                continue
            if depth < 2:
                stack.extend((w, depth + 1) for w in self._children(window))
        return found

    def title(self, window):
        raw, _, _ = self._property(window, self._name_atom, self._utf8)
        return raw.decode("utf-8", "replace") if raw is not None else None

    def grab(self, window, x, y, width, height):
        """The rectangle's pixels as bytes, 4 a pixel (BGRX), or None when not viewable."""
        image = _x11.XGetImage(self._d, window, x, y, width, height, _ALL_PLANES, _Z_PIXMAP)
        if not image:
            return None
        try:
            im = image.contents
            if im.bits_per_pixel != 32:
                raise RuntimeError("only 24/32-bit screens are supported (Xvfb -screen 0 WxHx24)")
            if im.bytes_per_line == width * 4:
                return ctypes.string_at(im.data, width * 4 * height)
            rows = [ctypes.string_at(im.data + r * im.bytes_per_line, width * 4) for r in range(height)]
            return b"".join(rows)
        finally:
            _x11.XDestroyImage(image)

    def key(self, combo):
        """Press and release a key combination such as "ctrl+Right"; returns once sent."""
        names = combo.split("+")
        aliases = {"ctrl": "Control_L", "shift": "Shift_L", "alt": "Alt_L"}
        codes = [_x11.XKeysymToKeycode(self._d, _x11.XStringToKeysym(aliases.get(n, n).encode()))
                 for n in names]
        for code in codes:
            _xtst.XTestFakeKeyEvent(self._d, code, 1, 0)
        for code in reversed(codes):
            _xtst.XTestFakeKeyEvent(self._d, code, 0, 0)
        _x11.XFlush(self._d)

    def to_root(self, window, x, y):
        rx, ry, child = ctypes.c_int(), ctypes.c_int(), Window()
        _x11.XTranslateCoordinates(self._d, window, self.root, x, y, ctypes.byref(rx), ctypes.byref(ry),
                                   ctypes.byref(child))
        return rx.value, ry.value

    def click(self, button=1):
        _xtst.XTestFakeButtonEvent(self._d, button, 1, 0)
        _xtst.XTestFakeButtonEvent(self._d, button, 0, 0)
        _x11.XFlush(self._d)

    def move_pointer(self, x, y):
        _xtst.XTestFakeMotionEvent(self._d, -1, x, y, 0)
        _x11.XFlush(self._d)

    def wheel(self, clicks, down=True):
        button = 5 if down else 4
        for _ in range(clicks):
            _xtst.XTestFakeButtonEvent(self._d, button, 1, 0)
            _xtst.XTestFakeButtonEvent(self._d, button, 0, 0)
        _x11.XSync(self._d, 0)

    @staticmethod
    def can_fake_input():
        return _xtst is not None
