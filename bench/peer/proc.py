"""Counters of a running process read from /proc: context switches (voluntary and not,
summed over every thread), CPU time and memory.

Context switches live per thread; a thread that ends between two readings takes its count
with it, so a reading keeps each thread's count by id and a difference adds the threads
born in between in full.
"""
import os

_TICKS = os.sysconf("SC_CLK_TCK")


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


def threads(pid):
    """{tid: (name, voluntary + nonvoluntary switches, nanoseconds on a CPU)} of the live
    threads. The scheduler's nanoseconds are exact where /proc/PID/stat counts 10 ms
    ticks, which over a minute of a quiet client is the whole difference."""
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
            runtime = 0
        result[int(tid)] = (fields.get("Name", "?"), switches, runtime)
    return result


def cpu_seconds(pid):
    """utime + stime of the whole process (its ended threads included)."""
    try:
        with open(f"/proc/{pid}/stat") as f:
            raw = f.read()
    except OSError:
        return None
    # The command name may hold spaces and parentheses: split after its closing one.
    rest = raw[raw.rindex(")") + 2:].split()
    return (int(rest[11]) + int(rest[12])) / _TICKS


def memory_kib(pid):
    """(VmRSS, VmHWM) in KiB."""
    fields = _status_fields(f"/proc/{pid}/status") or {}

    def kib(key):
        value = fields.get(key, "0 kB").split()
        return int(value[0]) if value else 0

    return kib("VmRSS"), kib("VmHWM")


class Reading:
    """Counters of one process at one moment."""

    def __init__(self, pid):
        self.pid = pid
        self.threads = threads(pid)
        self.cpu = cpu_seconds(pid)


def switches_between(before, after):
    """Total switches and {thread name: switches} from one reading to the next."""
    total, by_name = 0, {}
    for tid, (name, count, _) in after.threads.items():
        earlier = before.threads.get(tid)
        delta = max(0, count - (earlier[1] if earlier else 0))
        total += delta
        by_name[name] = by_name.get(name, 0) + delta
    return total, by_name


def runtime_between(before, after):
    """Seconds on a CPU of the threads alive at the second reading, from the first, in
    all and {thread name: seconds}."""
    total, by_name = 0, {}
    for tid, (name, _, runtime) in after.threads.items():
        earlier = before.threads.get(tid)
        delta = max(0, runtime - (earlier[2] if earlier else 0))
        total += delta
        by_name[name] = by_name.get(name, 0) + delta / 1e9
    return total / 1e9, by_name
