"""The private servers of a comparison: an mpd on a free loopback port over a generated
library, a static web server for its covers, and a raw protocol link to drive it.

Everything binds 127.0.0.1 and lives in the bench's own work directory.
"""
import os
import socket
import struct
import subprocess
import sys
import time

# Two songs alike but for their title (same file, same length, artist and album): the
# track changes the bench times, and what it learns the title's pixels from.
PAIR_DIR = "Bench/Pair"
PAIR_SOURCE = "The Beatles/Abbey Road/01 Come Together.flac"
PAIR_TITLES = ("Aller simple", "Retour")


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def generate_library(genlib, music_dir, albums, songs_per_album):
    """Once per work directory: the odd-case library (its Abbey Road songs last 259 s and
    182 s, long enough to measure playback) and albums x songs bulk songs with covers."""
    marker = os.path.join(music_dir, f".generated-{albums}x{songs_per_album}")
    if os.path.exists(marker):
        return
    subprocess.run(["rm", "-rf", music_dir], check=True)
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    subprocess.run([genlib, music_dir, "--standard", "--bulk", str(albums), str(songs_per_album),
                    "--covers"], check=True, env=env, stdout=subprocess.DEVNULL)
    open(marker, "w").close()


def _retitled_flac(data, tags):
    """The FLAC file data with its Vorbis comment replaced by tags (a list of (key,
    value)); every other metadata block and the audio are kept."""
    if data[:4] != b"fLaC":
        raise ValueError("not a FLAC file")
    pos, blocks, last = 4, [], False
    while not last:
        header = data[pos]
        last = bool(header & 0x80)
        kind = header & 0x7F
        length = int.from_bytes(data[pos + 1:pos + 4], "big")
        blocks.append((kind, data[pos + 4:pos + 4 + length]))
        pos += 4 + length
    comments = [f"{k}={v}".encode() for k, v in tags]
    vendor = b"kelvane bench"
    comment = struct.pack("<I", len(vendor)) + vendor + struct.pack("<I", len(comments))
    comment += b"".join(struct.pack("<I", len(c)) + c for c in comments)
    blocks = [(k, b) for k, b in blocks if k != 4]
    blocks.insert(1, (4, comment))
    out = bytearray(b"fLaC")
    for i, (kind, body) in enumerate(blocks):
        out.append(kind | (0x80 if i == len(blocks) - 1 else 0))
        out += len(body).to_bytes(3, "big") + body
    return bytes(out) + data[pos:]


def make_pair(music_dir):
    """Writes the pair of songs into the library (once); returns their URIs."""
    uris = []
    with open(os.path.join(music_dir, PAIR_SOURCE), "rb") as f:
        source = f.read()
    os.makedirs(os.path.join(music_dir, PAIR_DIR), exist_ok=True)
    for number, title in enumerate(PAIR_TITLES, 1):
        uri = f"{PAIR_DIR}/{number:02d} {title}.flac"
        path = os.path.join(music_dir, uri)
        if not os.path.exists(path):
            tags = [("ARTIST", "Kelvane Bench"), ("ALBUM", "Pair"), ("TITLE", title),
                    ("TRACKNUMBER", str(number)), ("DATE", "2020")]
            with open(path + ".part", "wb") as f:
                f.write(_retitled_flac(source, tags))
            os.replace(path + ".part", path)
        uris.append(uri)
    return uris


def count_covers(music_dir):
    return sum(1 for _, _, files in os.walk(music_dir) for name in files if name == "cover.jpg")


class Link:
    """A plain protocol connection: one command, one bounded answer."""

    # mpd drops a connection left silent for its connection_timeout (60 s by default),
    # and a phase is that long: a link unused for this long is opened afresh.
    FRESH_SECONDS = 30

    def __init__(self, port, timeout=10.0):
        self.port = port
        self.timeout = timeout
        self._open()

    def _open(self):
        self.sock = socket.create_connection(("127.0.0.1", self.port), timeout=self.timeout)
        self.sock.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        self._buffer = b""
        greeting = self._line()
        if not greeting.startswith(b"OK MPD"):
            raise RuntimeError(f"not an MPD server: {greeting!r}")
        self._used = time.monotonic()

    def _line(self):
        while b"\n" not in self._buffer:
            chunk = self.sock.recv(65536)
            if not chunk:
                raise RuntimeError("mpd closed the connection")
            self._buffer += chunk
            if len(self._buffer) > 16 << 20:
                raise RuntimeError("answer too long")
        line, _, self._buffer = self._buffer.partition(b"\n")
        return line

    def send(self, command):
        """Writes the command; the answer is read by answer()."""
        if time.monotonic() - self._used > self.FRESH_SECONDS:
            self.sock.close()
            self._open()
        self.sock.sendall(command.encode() + b"\n")
        self._used = time.monotonic()

    def answer(self):
        lines = []
        while True:
            line = self._line()
            self._used = time.monotonic()
            if line == b"OK":
                return lines
            if line.startswith(b"ACK"):
                raise RuntimeError(line.decode("utf-8", "replace"))
            lines.append(line.decode("utf-8", "replace"))

    def command(self, command):
        self.send(command)
        return self.answer()

    def status(self):
        return dict(line.split(": ", 1) for line in self.command("status"))

    def close(self):
        self.sock.close()


def quote(text):
    return '"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'


class PrivateMpd:
    def __init__(self, workdir, music_dir):
        self.workdir = workdir
        self.music_dir = music_dir
        self.port = free_port()
        self.process = None
        self.http = None
        self.http_port = None

    def start(self):
        state = os.path.join(self.workdir, "mpd")
        os.makedirs(os.path.join(state, "playlists"), exist_ok=True)
        conf = os.path.join(state, "mpd.conf")
        with open(conf, "w") as f:
            f.write(f'''music_directory    "{self.music_dir}"
playlist_directory "{state}/playlists"
db_file            "{state}/database"
log_file           "{state}/log"
bind_to_address    "127.0.0.1"
port               "{self.port}"
auto_update        "no"
zeroconf_enabled   "no"
audio_output {{
  type       "null"
  name       "Bench (silent)"
  mixer_type "software"
}}
''')
        self.process = subprocess.Popen(["mpd", "--no-daemon", conf], stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL)
        deadline = time.monotonic() + 10
        while True:
            try:
                link = Link(self.port)
                break
            except OSError:
                if time.monotonic() > deadline or self.process.poll() is not None:
                    raise RuntimeError(f"mpd did not start (see {state}/log)")
                time.sleep(0.05)
        # The database is kept between runs; an update only when it is missing, or when it
        # lacks the pair of songs added later.
        stats = dict(line.split(": ", 1) for line in link.command("stats"))
        try:
            has_pair = bool(link.command("lsinfo " + quote(PAIR_DIR)))
        except RuntimeError:
            has_pair = False
        if int(stats.get("songs", 0)) == 0 or not has_pair:
            link.command("update")
            while "updating_db" in link.status():
                time.sleep(0.2)
        link.close()
        self.http_port = free_port()
        self.http = subprocess.Popen([sys.executable, "-m", "http.server", str(self.http_port), "--bind",
                                      "127.0.0.1", "--directory", self.music_dir],
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    @property
    def pid(self):
        return self.process.pid

    def stop(self):
        for p in (self.http, self.process):
            if p and p.poll() is None:
                p.terminate()
                try:
                    p.wait(10)
                except subprocess.TimeoutExpired:
                    p.kill()
