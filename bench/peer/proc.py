"""Counters of running processes read from /proc: CPU time from the scheduler, context
switches (voluntary and not), memory.

CPU time comes from /proc/PID/task/*/schedstat only: nanoseconds on a CPU, per thread.
/proc/PID/stat counts 10 ms ticks, which over a minute of a quiet client is the whole
difference between two clients (0.050 against 0.040 s was 5 ticks against 4).

A thread that ends between two readings takes its counters with it, so a Tracker reads
every thread of its processes again and again and keeps, per thread, the last values it
saw: a thread born and ended between two polls is the only thing it can miss, which is
why it is polled often while a client starts (threads come and go then) and less often
in the idle phases.

What is "the client" is a group: its own process and every process started for it, such
as a keyring daemon its session bus activates when it asks for a password. They are
found by their environment (the home and runtime directory the bench made for the
client), which daemons keep even when they leave the process tree; the session bus the
bench starts around the client (dbus-run-session, dbus-daemon) is the bench's, not the
client's, and is left out.
"""
import os
import threading
import time

# Process names as /proc/PID/comm gives them: cut to 15 characters.
HARNESS = {name[:15] for name in ("dbus-run-session", "dbus-daemon")}


def _status_fields(path):
    fields = {}
    try:
        with open(path) as f:
            for line in f:
                key, _, value = line.partition(":")
                fields[key] = value.strip()
    except OSError:
        return None
    return fields


def _name_of(pid):
    try:
        with open(f"/proc/{pid}/comm") as f:
            return f.read().strip()
    except OSError:
        return None


def threads(pid):
    """{tid: (name, voluntary + nonvoluntary switches, nanoseconds on a CPU)} of the live
    threads of pid."""
    result = {}
    try:
        tids = os.listdir(f"/proc/{pid}/task")
    except OSError:
        return result
    for tid in tids:
        fields = _status_fields(f"/proc/{pid}/task/{tid}/status")
        if not fields:
            continue
        switches = int(fields.get("voluntary_ctxt_switches", 0)) + int(
            fields.get("nonvoluntary_ctxt_switches", 0))
        try:
            with open(f"/proc/{pid}/task/{tid}/schedstat") as f:
                runtime = int(f.read().split()[0])
        except (OSError, ValueError, IndexError):
            continue
        result[int(tid)] = (fields.get("Name", "?"), switches, runtime)
    return result


def memory_kib(pid):
    """(VmRSS, VmHWM) in KiB."""
    fields = _status_fields(f"/proc/{pid}/status") or {}

    def kib(key):
        value = fields.get(key, "0 kB").split()
        return int(value[0]) if value else 0

    return kib("VmRSS"), kib("VmHWM")


def anonymous_kib(pid):
    """Anonymous memory of the process (smaps_rollup "Anonymous"), in KiB: the heap and
    the private mappings, what the process itself made; shared libraries and files it
    maps are not in it."""
    fields = _status_fields(f"/proc/{pid}/smaps_rollup") or {}
    value = fields.get("Anonymous", "0 kB").split()
    return int(value[0]) if value else 0


def group_of(home, runtime_dir):
    """Pids of the processes started for a client: those whose environment names its
    home and runtime directory, the bench's session bus excepted."""
    wanted_home = b"HOME=" + home.encode()
    wanted_run = b"XDG_RUNTIME_DIR=" + runtime_dir.encode()
    found = []
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open(f"/proc/{entry}/environ", "rb") as f:
                env = f.read().split(b"\0")
        except OSError:
            continue
        if wanted_home in env and wanted_run in env:
            name = _name_of(entry)
            if name and name not in HARNESS:
                found.append(int(entry))
    return sorted(found)


class Tracker:
    """CPU nanoseconds and context switches of a set of processes, every thread counted
    from its birth, the last values seen kept for threads that have ended.

    members() gives the pids to read; it is asked again every `rescan` seconds (daemons
    appear while a client runs)."""

    def __init__(self, members, rescan=2.0):
        self._members = members
        self._rescan = rescan
        self._pids = []
        self._scanned = 0.0
        self._last = {}    # (pid, tid) -> (name, switches, ns)
        self._names = {}   # pid -> process name
        self._lock = threading.Lock()
        self._thread = None
        self._stop = threading.Event()
        self._period = 0.5

    def poll(self):
        now = time.monotonic()
        if now - self._scanned >= self._rescan or not self._pids:
            self._pids = list(self._members())
            self._scanned = now
        with self._lock:
            for pid in self._pids:
                if pid not in self._names:
                    self._names[pid] = _name_of(pid) or str(pid)
                for tid, values in threads(pid).items():
                    self._last[(pid, tid)] = values

    def snapshot(self):
        """{(pid, tid): (name, switches, ns)}, every thread seen so far."""
        self.poll()
        with self._lock:
            return dict(self._last)

    def cpu_seconds(self):
        return sum(ns for _, _, ns in self.snapshot().values()) / 1e9

    def process_names(self):
        with self._lock:
            return dict(self._names)

    # A background poller, so threads that end between two explicit readings still count.
    def run(self, period):
        self._period = period
        if self._thread:
            return
        self._stop.clear()

        def loop():
            while not self._stop.wait(self._period):
                try:
                    self.poll()
                except OSError:
                    pass

        self._thread = threading.Thread(target=loop, daemon=True)
        self._thread.start()

    def set_period(self, period):
        self._period = period

    def halt(self):
        if self._thread:
            self._stop.set()
            self._thread.join()
            self._thread = None


def difference(before, after):
    """CPU seconds, switches and per-thread-name figures from one snapshot to the next:
    (seconds, switches, {name: seconds}, {name: switches}). Thread names carry their
    process's name when the group holds more than the client itself."""
    seconds = switches = 0
    cpu_by_name, sw_by_name = {}, {}
    for key, (name, sw, ns) in after.items():
        sw0, ns0 = before.get(key, (name, 0, 0))[1:]
        d_ns, d_sw = max(0, ns - ns0), max(0, sw - sw0)
        seconds += d_ns / 1e9
        switches += d_sw
        cpu_by_name[name] = cpu_by_name.get(name, 0) + d_ns / 1e9
        sw_by_name[name] = sw_by_name.get(name, 0) + d_sw
    return seconds, switches, cpu_by_name, sw_by_name
