"""How each client under comparison is started: a fresh home (cold caches, no stored
settings but those written here), its own session bus, the same X display and server.

Cantata is a black box: only its documented settings file is written, with the answers
its first-run wizard would store (server, music folder, no cover download from the
internet, the library shown as an album grid).
"""
import os
import shutil
import subprocess
import time

CANTATA_CONF = """[General]
fetchCovers=false
storeCoversInMpdDir=false
page=LibraryPage
showPlaylist=true
showMenubar=false
version=2.5.0

[Connection]
allowLocalStreaming=false
autoUpdate=false
dir={music}/
host=127.0.0.1
partition=default
passwd=
port={port}
streamUrl=

[LibraryPage]
album\\gridZoom=100
album\\searchActive=false
album\\viewMode=icontop
albumSort=album
grouping=album
librarySort=year
"""


class Client:
    # Where the now-playing title is drawn: an edge of the window and a band height.
    bar = ("bottom", 120)
    # A point inside the album grid, as fractions of the window size.
    grid_point = (0.6, 0.45)
    # Wheel clicks a step of the paced grid scroll: less than half the grid's height at
    # 1280x800, so no row goes past between two steps without being shown.
    scroll_clicks = 3

    @staticmethod
    def next_button(width, height):
        """Where the Next button sits in a window of that size (seen on screenshots at
        1280x800; both bars keep it at a fixed place from an edge or the centre)."""
        return None

    def __init__(self, name, workdir, display, server):
        self.name = name
        self.home = os.path.join(workdir, "home-" + name.lower())
        self.display = display
        self.server = server
        self.launcher = None
        self.pid = None

    @property
    def runtime_dir(self):
        return os.path.join(self.home, "run")

    def cover_dirs(self):
        """Where the client keeps the covers it loaded, under its home."""
        return []

    def covers_cached(self):
        """Files in the client's cover caches: the covers it loaded in this launch (the
        home is new every launch)."""
        return sum(len(files) for d in self.cover_dirs() for _, _, files in os.walk(os.path.join(self.home, d)))

    def argv(self):
        raise NotImplementedError

    def prepare_home(self):
        shutil.rmtree(self.home, ignore_errors=True)
        os.makedirs(self.home)
        os.makedirs(self.runtime_dir, mode=0o700)

    def environment(self):
        env = dict(os.environ)
        for key in ("QT_QPA_PLATFORM", "MPD_HOST", "MPD_PORT", "WAYLAND_DISPLAY", "DBUS_SESSION_BUS_ADDRESS",
                    "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_DATA_HOME", "QT_LOGGING_RULES"):
            env.pop(key, None)
        env.update(HOME=self.home, DISPLAY=self.display, XDG_RUNTIME_DIR=self.runtime_dir,
                   LANG="C.UTF-8", NO_AT_BRIDGE="1")
        return env

    def start(self):
        """Starts the client; returns the monotonic time just before the launch."""
        self.prepare_home()
        log = open(os.path.join(self.home, "client.log"), "w")
        started = time.monotonic()
        self.launcher = subprocess.Popen(["dbus-run-session", "--", *self.argv()], env=self.environment(),
                                         stdin=subprocess.DEVNULL, stdout=log, stderr=subprocess.STDOUT)
        return started

    def find_pid(self, deadline):
        """The client's own process, a child of the session-bus launcher."""
        program = os.path.basename(self.argv()[0])
        while time.monotonic() < deadline:
            for entry in os.listdir("/proc"):
                if not entry.isdigit():
                    continue
                try:
                    with open(f"/proc/{entry}/stat") as f:
                        stat = f.read()
                except OSError:
                    continue
                name = stat[stat.index("(") + 1:stat.rindex(")")]
                ppid = int(stat[stat.rindex(")") + 2:].split()[1])
                if ppid == self.launcher.pid and program.startswith(name):
                    self.pid = int(entry)
                    return self.pid
            if self.launcher.poll() is not None:
                break
            time.sleep(0.002)
        raise RuntimeError(f"{self.name} did not start (see {self.home}/client.log)")

    def stop(self):
        if self.pid:
            try:
                os.kill(self.pid, 15)
            except ProcessLookupError:
                pass
        if self.launcher:
            try:
                self.launcher.wait(15)
            except subprocess.TimeoutExpired:
                if self.pid:
                    try:
                        os.kill(self.pid, 9)
                    except ProcessLookupError:
                        pass
                self.launcher.wait(5)
        self.pid = None


class Kelvane(Client):
    bar = ("bottom", 120)
    grid_point = (0.6, 0.45)
    scroll_clicks = 3  # 120 px a click, a grid of 640 px

    @staticmethod
    def next_button(width, height):
        return width // 2 + 64, height - 61

    def __init__(self, binary, *args, covers="web"):
        super().__init__("Kelvane", *args)
        self.binary = binary
        self.covers = covers

    def argv(self):
        argv = [self.binary, "--host", "127.0.0.1", "--port", str(self.server.port)]
        # Without a cover host the web server of the rule is mpd's own host, where none
        # listens: covers then come from mpd (albumart, then readpicture).
        if self.covers == "web":
            argv += ["--cover-host", f"127.0.0.1:{self.server.http_port}"]
        return argv

    def cover_dirs(self):
        return [".local/share/Kelvane/cover"]


class Cantata(Client):
    bar = ("top", 80)
    grid_point = (0.25, 0.45)
    scroll_clicks = 1  # about 240 px a click

    @staticmethod
    def next_button(width, height):
        return 89, 29

    def __init__(self, *args):
        super().__init__("Cantata", *args)

    def cover_dirs(self):
        return [".cache/cantata"]

    def argv(self):
        return ["cantata"]

    def prepare_home(self):
        super().prepare_home()
        conf_dir = os.path.join(self.home, ".config", "cantata")
        os.makedirs(conf_dir)
        with open(os.path.join(conf_dir, "cantata.conf"), "w") as f:
            f.write(CANTATA_CONF.format(music=self.server.music_dir.rstrip("/"), port=self.server.port))
