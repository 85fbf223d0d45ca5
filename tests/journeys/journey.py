"""What a journey needs to run the real window where users live.

Each journey gets a private world: its own X server (Xvfb, display number chosen by the
server itself), a window manager (openbox), a session bus, a home with empty XDG
directories, and a private mpd on a loopback port with the generated standard library.
The window is driven with real X input events (xdotool) and judged by what mpd says and
what the X server shows. Nothing waits a fixed time before judging: every wait is for a
condition, with a generous cap, so a busy machine makes a journey slower, never wrong.

Standard library only, plus the X tools named in scripts/install-deps.sh.
"""

import ctypes
import os
import shutil
import signal
import socket
import struct
import subprocess
import sys
import tempfile
import time

# Caps, not delays: how long a condition may take before the journey gives up.
PATIENCE = float(os.environ.get("KELVANE_JOURNEY_PATIENCE", "60"))


class JourneyFailed(Exception):
    pass


def log(message):
    print(f"[journey] {message}", flush=True)


def wait_for(what, condition, cap=None, pause=0.05):
    """Returns condition()'s first true value; fails after cap seconds."""
    cap = PATIENCE if cap is None else cap
    deadline = time.monotonic() + cap
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > deadline:
            raise JourneyFailed(f"gave up waiting for {what} after {cap:.0f} s")
        time.sleep(pause)


_libc = ctypes.CDLL(None, use_errno=True)
_PR_SET_PDEATHSIG = 1


def _die_with_parent():
    # A journey killed from outside (a CTest time-out) leaves no X server or mpd behind.
    _libc.prctl(_PR_SET_PDEATHSIG, signal.SIGKILL)


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class Mpd:
    """A private mpd: loopback only, null output, the generated standard library."""

    def __init__(self, world):
        self.world = world
        self.dir = os.path.join(world.root, "mpd")
        self.music = os.path.join(self.dir, "music")
        os.makedirs(os.path.join(self.dir, "playlists"))
        subprocess.run([world.genlib, self.music, "--standard", "--covers"], check=True,
                       stdout=subprocess.DEVNULL, env=dict(world.env, QT_QPA_PLATFORM="offscreen"))
        self.port = free_port()
        self.conf = os.path.join(self.dir, "mpd.conf")
        with open(self.conf, "w") as f:
            f.write(f'''music_directory    "{self.music}"
playlist_directory "{self.dir}/playlists"
db_file            "{self.dir}/database"
state_file         "{self.dir}/state"
log_file           "{self.dir}/log"
bind_to_address    "127.0.0.1"
port               "{self.port}"
auto_update        "no"
zeroconf_enabled   "no"
audio_output {{
  type       "null"
  name       "Journey (silent)"
  mixer_type "software"
}}
''')
        self.process = None
        self.start()
        self.command("update")
        wait_for("mpd's database", lambda: "updating_db" not in self.status())

    def start(self):
        self.process = self.world.spawn(["mpd", "--no-daemon", self.conf], "mpd")
        wait_for("mpd to greet", self._greets)

    def kill(self):
        """Gone at once, as a crash or a power cut leaves it."""
        self.world.end(self.process, sig=signal.SIGKILL)
        self.process = None

    def _greets(self):
        if self.process.poll() is not None:
            raise JourneyFailed(f"mpd exited ({self.process.returncode}); see {self.dir}/log")
        try:
            with socket.create_connection(("127.0.0.1", self.port), timeout=5) as s:
                return s.recv(64).startswith(b"OK MPD")
        except OSError:
            return False

    def command(self, line):
        """One command on a fresh connection: its answer lines (ACK raises)."""
        with socket.create_connection(("127.0.0.1", self.port), timeout=30) as s:
            reader = s.makefile("rb")
            reader.readline()  # greeting
            s.sendall(line.encode() + b"\n")
            lines = []
            while True:
                raw = reader.readline()
                if not raw:
                    raise JourneyFailed(f"mpd closed during {line!r}")
                text = raw.decode("utf-8", "replace").rstrip("\n")
                if text == "OK":
                    return lines
                if text.startswith("ACK"):
                    raise JourneyFailed(f"mpd refused {line!r}: {text}")
                lines.append(text)

    def status(self):
        return dict(l.split(": ", 1) for l in self.command("status") if ": " in l)

    def queue(self):
        """The queue's entries, each its tags as mpd sends them."""
        entries = []
        for line in self.command("playlistinfo"):
            key, _, value = line.partition(": ")
            if key == "file":
                entries.append({})
            if entries:
                entries[-1][key] = value
        return entries

    def queue_files(self):
        return [entry["file"] for entry in self.queue()]


class Display:
    """An X server of its own with a window manager on it."""

    def __init__(self, world, width, height):
        self.world = world
        read, write = os.pipe()
        self.xvfb = world.spawn(["Xvfb", "-displayfd", str(write), "-screen", "0",
                                 f"{width}x{height}x24", "-nolisten", "tcp", "-noreset"],
                                "xvfb", pass_fds=(write,))
        os.close(write)
        number = b""
        with os.fdopen(read, "rb") as pipe:
            # Written once the server takes connections.
            while not number.endswith(b"\n"):
                chunk = pipe.read(1)
                if not chunk:
                    raise JourneyFailed("Xvfb ended before it named its display")
                number += chunk
        self.name = ":" + number.decode().strip()
        self.width, self.height = width, height
        self.wm = world.spawn(["openbox", "--sm-disable"], "openbox", env=self.env())
        # A window manager announces itself on the root window.
        wait_for("openbox to manage the display",
                 lambda: "_NET_SUPPORTING_WM_CHECK(WINDOW)" in self.x(["xprop", "-root"], check=False))

    def env(self, **extra):
        return dict(self.world.env, DISPLAY=self.name, **extra)

    def x(self, args, check=True):
        done = subprocess.run(args, env=self.env(), capture_output=True, text=True, timeout=PATIENCE)
        if check and done.returncode != 0:
            raise JourneyFailed(f"{' '.join(args)}: {done.stderr.strip()}")
        return done.stdout

    def xdotool(self, *args, check=True):
        return self.x(["xdotool", *[str(a) for a in args]], check=check)

    def windows_of(self, pid):
        out = self.xdotool("search", "--onlyvisible", "--pid", pid, check=False)
        return [int(w) for w in out.split()]

    def is_dialog(self, window):
        """A window kept above another one (an alert over the main window)."""
        out = self.x(["xprop", "-id", str(window), "WM_TRANSIENT_FOR"], check=False)
        return "window id #" in out

    def title(self, window):
        return self.xdotool("getwindowname", window, check=False).strip()

    def client_rect(self, window):
        """The window's client area, in root coordinates: x, y, width, height."""
        info = self.x(["xwininfo", "-id", str(window)])
        field = {}
        for line in info.splitlines():
            if ":" in line:
                key, _, value = line.strip().partition(":")
                field[key.strip()] = value.strip()
        return (int(field["Absolute upper-left X"]), int(field["Absolute upper-left Y"]),
                int(field["Width"]), int(field["Height"]))

    def frame_rect(self, window):
        """The window with the frame the window manager drew around it."""
        x, y, w, h = self.client_rect(window)
        extents = self.x(["xprop", "-id", str(window), "_NET_FRAME_EXTENTS"], check=False)
        if "=" not in extents:
            return x, y, w, h
        left, right, top, bottom = (int(v) for v in extents.split("=")[1].split(","))
        return x - left, y - top, w + left + right, h + top + bottom

    def shot(self, window=None):
        """The screen (or a window) as pixels."""
        args = ["xwd", "-silent"] + (["-id", str(window)] if window else ["-root"])
        data = subprocess.run(args, env=self.env(), capture_output=True, timeout=PATIENCE,
                              check=True).stdout
        return Picture(data)

    # Real input: the pointer moves in small steps, as a hand moves it, so the window sees
    # the motion between press and release (a drag starts only after a few pixels).
    def glide(self, start, end, steps=24):
        (x0, y0), (x1, y1) = start, end
        for i in range(1, steps + 1):
            self.xdotool("mousemove", round(x0 + (x1 - x0) * i / steps),
                         round(y0 + (y1 - y0) * i / steps))
            time.sleep(0.02)


class Picture:
    """An XWD dump (ZPixmap, 24/32 bits per pixel) read as RGB triples."""

    def __init__(self, data):
        fields = struct.unpack(">25I", data[:100])
        header_size, _, pixmap_format, depth, width, height = fields[:6]
        byte_order, bits_per_pixel, bytes_per_line = fields[7], fields[11], fields[12]
        red_mask, green_mask, blue_mask = fields[14:17]
        ncolors = fields[19]
        if pixmap_format != 2 or bits_per_pixel not in (24, 32):
            raise JourneyFailed(f"unexpected XWD picture: format {pixmap_format}, {bits_per_pixel} bpp")
        self.width, self.height = width, height
        self._bpp = bits_per_pixel // 8
        self._line = bytes_per_line
        self._order = "little" if byte_order == 0 else "big"
        self._masks = [(m, (m & -m).bit_length() - 1) for m in (red_mask, green_mask, blue_mask)]
        self._pixels = data[header_size + 12 * ncolors:]

    def rgb(self, x, y):
        at = y * self._line + x * self._bpp
        value = int.from_bytes(self._pixels[at:at + self._bpp], self._order)
        return tuple((value & mask) >> shift for mask, shift in self._masks)


def near(colour, wanted, slack=40):
    return all(abs(a - b) <= slack for a, b in zip(colour, wanted))


# Reading the window. The places to click are found in its pixels, from landmarks that
# do not depend on fonts or sizes: the highlighted sidebar row is drawn in the accent
# colour, covers are vivid, the progress bar is the one long horizontal line in the bar.
ACCENT = (255, 171, 1)


def vivid(colour):
    return max(colour) - min(colour) > 60


def highlighted_rows(picture, x):
    """The runs of rows (top, bottom) drawn in the accent colour at column x."""
    runs, top = [], None
    for y in range(picture.height):
        on = near(picture.rgb(x, y), ACCENT, 12)
        if on and top is None:
            top = y
        elif not on and top is not None:
            runs.append((top, y - 1))
            top = None
    return runs


def lit_at(picture, y, x=12):
    """Whether the sidebar row through y is the highlighted one (looked at left of its
    icon, where nothing else is drawn, not even a drag's picture)."""
    return any(top <= y <= bottom and bottom - top >= 16
               for top, bottom in highlighted_rows(picture, x))


def sidebar_highlight(picture):
    """The highlighted sidebar row (left, top, right, bottom), or None."""
    x = 12  # inside the row, left of its icon
    for top, bottom in highlighted_rows(picture, x):
        if bottom - top >= 16:  # a row, not a stray accent pixel
            y = top + 3  # above the icon and the text, where the row is plain accent
            right = x
            while right + 1 < picture.width and near(picture.rgb(right + 1, y), ACCENT, 12):
                right += 1
            if right - x > 60:
                return (x, top, right, bottom)
    return None


def first_cover(picture, left, top, bottom):
    """The top-left corner of the first vivid cover right of left, between top and bottom."""
    for y in range(top, bottom, 2):
        for x in range(left, picture.width, 2):
            colour = picture.rgb(x, y)
            if vivid(colour) and not near(colour, ACCENT, 30):
                # A cover is a filled square: the point 40 px in is vivid as well.
                if x + 40 < picture.width and y + 40 < bottom and vivid(picture.rgb(x + 40, y + 40)):
                    return (x, y)
    return None


def progress_track(picture, band=140):
    """The progress bar (left, right, y) in the bottom band of the window: the longest
    horizontal run of pixels that are not the bar's background."""
    best = None
    for y in range(picture.height - band, picture.height):
        background = picture.rgb(2, y)
        run_start, x = None, 0
        for x in range(picture.width):
            different = not near(picture.rgb(x, y), background, 10)
            if different and run_start is None:
                run_start = x
            elif not different and run_start is not None:
                if best is None or x - run_start > best[1] - best[0]:
                    best = (run_start, x - 1, y)
                run_start = None
    return best


class World:
    """The private world of one journey; everything it starts ends with it."""

    def __init__(self, name):
        self.name = name
        self.kelvane = os.environ.get("KELVANE_BINARY") or sys.exit("KELVANE_BINARY is not set")
        self.genlib = os.environ.get("KELVANE_GENLIB") or sys.exit("KELVANE_GENLIB is not set")
        self.root = tempfile.mkdtemp(prefix=f"kelvane-journey-{name}-")
        self.logs = os.path.join(self.root, "logs")
        os.makedirs(self.logs)
        home = os.path.join(self.root, "home")
        runtime = os.path.join(self.root, "runtime")
        for d in (home, runtime):
            os.makedirs(d, mode=0o700)
        self.env = {
            "PATH": os.environ.get("PATH", "/usr/bin:/bin"),
            "HOME": home,
            "XDG_CONFIG_HOME": os.path.join(home, ".config"),
            "XDG_DATA_HOME": os.path.join(home, ".local", "share"),
            "XDG_CACHE_HOME": os.path.join(home, ".cache"),
            "XDG_STATE_HOME": os.path.join(home, ".local", "state"),
            "XDG_RUNTIME_DIR": runtime,
            "LANG": "fr_FR.UTF-8",
        }
        for sanitizer in ("ASAN_OPTIONS", "LSAN_OPTIONS", "UBSAN_OPTIONS"):
            if sanitizer in os.environ:
                self.env[sanitizer] = os.environ[sanitizer]
        self.processes = []
        self.bus = self.spawn(["dbus-daemon", "--session", "--nofork", "--nopidfile",
                               f"--address=unix:path={runtime}/bus"], "dbus")
        wait_for("the session bus", lambda: os.path.exists(f"{runtime}/bus"))
        self.env["DBUS_SESSION_BUS_ADDRESS"] = f"unix:path={runtime}/bus"
        self.app = None

    def spawn(self, args, label, env=None, pass_fds=()):
        out = open(os.path.join(self.logs, f"{label}.log"), "ab")
        process = subprocess.Popen(args, env=env or self.env, stdout=out, stderr=subprocess.STDOUT,
                                   stdin=subprocess.DEVNULL, pass_fds=pass_fds,
                                   preexec_fn=_die_with_parent)
        out.close()
        self.processes.append(process)
        return process

    def end(self, process, sig=signal.SIGTERM, cap=10):
        if process is None or process.poll() is not None:
            return
        process.send_signal(sig)
        try:
            process.wait(timeout=cap)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()

    def start_kelvane(self, display, mpd, **env):
        """The real binary, as a user starts it; answers its main window."""
        self.app = self.spawn([self.kelvane, "--host", "127.0.0.1", "--port", str(mpd.port)],
                              "kelvane", env=display.env(**env))

        def main_window():
            if self.app.poll() is not None:
                raise JourneyFailed(f"kelvane exited ({self.app.returncode}); see {self.logs}/kelvane.log")
            found = [w for w in display.windows_of(self.app.pid)
                     if display.title(w).endswith("Kelvane")]
            return found[0] if found else None

        window = wait_for("the main window", main_window)
        # Mapped is not yet framed and painted: wait until openbox has put its frame on.
        wait_for("the window's frame",
                 lambda: "=" in display.x(["xprop", "-id", str(window), "_NET_FRAME_EXTENTS"], check=False))
        return window

    def close(self, ok):
        for process in reversed(self.processes):
            self.end(process)
        if ok and not os.environ.get("KELVANE_JOURNEY_KEEP"):
            shutil.rmtree(self.root, ignore_errors=True)
        else:
            log(f"kept for a look: {self.root}")
            kelvane_log = os.path.join(self.logs, "kelvane.log")
            if os.path.exists(kelvane_log):
                with open(kelvane_log, errors="replace") as f:
                    tail = f.read()[-3000:]
                if tail:
                    log("kelvane's output:\n" + tail)


def _terminated(*_):
    raise JourneyFailed("terminated")


def run(name, journey):
    """Runs journey(world) in a world of its own; the exit status CTest reads."""
    for tool in ("Xvfb", "openbox", "xdotool", "xwininfo", "xprop", "xwd", "mpd", "dbus-daemon"):
        if shutil.which(tool) is None:
            print(f"journey {name}: {tool} is missing (scripts/install-deps.sh)")
            sys.exit(77)  # skipped
    # SIGTERM ends the journey through its clean-up, like a failure.
    signal.signal(signal.SIGTERM, _terminated)
    world = World(name)
    ok = False
    started = time.monotonic()
    try:
        journey(world)
        # Whatever the journey saw, the window must not have ended on its own (a crash,
        # or a sanitizer's report in the sanitizer build).
        if world.app is not None and world.app.poll() is not None:
            raise JourneyFailed(f"kelvane ended with status {world.app.returncode}")
        ok = True
        log(f"{name}: passed in {time.monotonic() - started:.1f} s")
    except JourneyFailed as failure:
        log(f"{name}: FAILED: {failure}")
    finally:
        world.close(ok)
    sys.exit(0 if ok else 1)
