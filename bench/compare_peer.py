#!/usr/bin/env python3
"""Kelvane beside Cantata, measured in one run against one private mpd.

Both clients run under the same Xvfb display and window manager, each launch with a fresh
home, at the same window size, against a private mpd on 127.0.0.1 serving a generated
tagged library (2,000 albums of 10 songs with a cover in every album directory, the odd
cases of the test library, and a pair of songs alike but for their title).

Method:
- one warm-up launch of each client first, not measured (page cache, font caches);
- then rounds, interleaved: Kelvane, Cantata, Kelvane, Cantata... (--rounds); a figure is
  the median of its rounds, so every K/C ratio compares the two clients measured in turn
  under the same load. The load average is printed with every round;
- "the client" is its process and the daemons started for it (a keyring its private
  session bus activates): peer/proc.py finds them by environment;
- CPU time from the scheduler only (/proc/PID/task/*/schedstat, nanoseconds), threads
  that ended counted with the last value seen;
- cold start: launch to first window mapped; "settled" is the end of the last 100 ms
  slot in which the client used more than 5 ms of CPU, once 2 s have passed without one;
- track change: from `next` written to mpd on a socket of our own (or the client's own
  Next button clicked) until the title text of the now-playing band changes (its pixels
  are learnt from the pair of songs, peer/screen.py), and the window title beside it;
- the album grid is scrolled a few wheel clicks at a time, waiting each time until the
  grid is still, so that every cover loads; the covers each client cached are counted
  against the covers of the library;
- memory after the whole grid has been shown: anonymous memory (smaps_rollup Anonymous:
  heap and private mappings) and RSS;
- idle: wakeups (context switches a second) and CPU s/min of the client and of mpd,
  playing with the window shown, playing minimised, and stopped;
- Kelvane's console: the `track` line after an outside `next` and after its own `next`.

Usage: bench/compare_peer.py [--quick] [--rounds N] [--kelvane build/src/app/kelvane]
  --quick: 10 s phases, 6 track changes, one round each; --phases picks parts.
  --kelvane-covers mpd: Kelvane reads covers from mpd (albumart, readpicture) instead of
  the web server.

Needs (Debian packages, for this bench only, not installed by it):
  apt-get install cantata xvfb openbox xdotool x11-utils dbus mpd
  (imagemagick only for --shots, which keeps a screenshot of each client).
Cantata is used as a black box: started, watched and driven from outside.
"""
import argparse
import os
import random
import shutil
import statistics
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from peer import proc  # noqa: E402
from peer.clients import Cantata, Kelvane  # noqa: E402
from peer.screen import BarWatcher  # noqa: E402
from peer.server import Link, PrivateMpd, count_covers, generate_library, make_pair  # noqa: E402
from peer.x11 import Display  # noqa: E402

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
WINDOW_SIZE = (1280, 800)
PHASES = ("idle", "latency", "scroll")
# A 100 ms slot with more CPU than this is start work; 2 s without one is settled.
SLOT_S = 0.1
BUSY_SLOT_S = 0.005
SETTLED_AFTER_S = 2.0


def log(*parts):
    print(time.strftime("%H:%M:%S"), *parts, file=sys.stderr, flush=True)


def xdotool(display, *args):
    subprocess.run(["xdotool", *map(str, args)], env=dict(os.environ, DISPLAY=display),
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=20)


def start_x(workdir):
    """A private Xvfb on the first free display number, and a window manager on it so that
    minimising is what a desktop does (the client is told it is minimised)."""
    number = 90
    while os.path.exists(f"/tmp/.X11-unix/X{number}") or os.path.exists(f"/tmp/.X{number}-lock"):
        number += 1
    display = f":{number}"
    xvfb = subprocess.Popen(["Xvfb", display, "-screen", "0", "1600x1000x24", "-nolisten", "tcp"],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    deadline = time.monotonic() + 10
    while not os.path.exists(f"/tmp/.X11-unix/X{number}"):
        if time.monotonic() > deadline or xvfb.poll() is not None:
            raise RuntimeError("Xvfb did not start")
        time.sleep(0.05)
    time.sleep(0.3)
    wm_home = os.path.join(workdir, "home-wm")
    os.makedirs(wm_home, exist_ok=True)
    wm = subprocess.Popen(["openbox"], env=dict(os.environ, DISPLAY=display, HOME=wm_home),
                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    time.sleep(1.0)
    return display, [wm, xvfb]


class Sampler:
    """CPU and wakeups of the client's group and of mpd over one phase."""

    def __init__(self, client, mpd):
        self.client = client
        self.mpd = mpd

    def measure(self, seconds):
        c0 = self.client.snapshot() if self.client else None
        m0 = self.mpd.snapshot()
        t0 = time.monotonic()
        time.sleep(seconds)
        elapsed = time.monotonic() - t0
        c1 = self.client.snapshot() if self.client else None
        m1 = self.mpd.snapshot()
        result = {"mpd_cpu_min": proc.difference(m0, m1)[0] * 60 / elapsed}
        if c0 is not None:
            cpu, switches, cpu_by_name, sw_by_name = proc.difference(c0, c1)
            result.update(wakeups=switches / elapsed, cpu_min=cpu * 60 / elapsed,
                          threads={k: v / elapsed for k, v in sw_by_name.items() if v},
                          thread_cpu={k: v * 60 / elapsed for k, v in cpu_by_name.items() if v})
        return result


def set_queue(link, pair):
    link.command("stop")
    link.command("clear")
    for uri in pair:
        link.command("add " + quote(uri))
    for option in ("repeat 1", "random 0", "single 0", "consume 0"):
        link.command(option)


def quote(text):
    return '"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'


def launch(client, display, limit=60):
    """Starts the client and follows it until its start work has settled. Returns
    (pid, window, tracker, figures)."""
    started = client.start()
    pid = client.find_pid(time.monotonic() + 30)
    tracker = proc.Tracker(lambda: sorted(set([pid] + proc.group_of(client.home, client.runtime_dir))))
    tracker.run(SLOT_S)
    window = None
    deadline = time.monotonic() + limit
    while window is None and time.monotonic() < deadline:
        windows = display.mapped_windows_of(pid)
        if windows:
            # The main window, not a message box that may come up with it.
            window = max(windows, key=lambda w: (display.geometry(w) or (0, 0))[0] * (display.geometry(w) or (0, 0))[1])
            break
        time.sleep(0.005)
    if window is None:
        raise RuntimeError(f"{client.name}: no window within {limit} s")
    r = {"start_mapped_ms": (time.monotonic() - started) * 1000,
         "start_mapped_cpu_s": tracker.cpu_seconds()}
    # Settled: 100 ms slots of CPU, until SETTLED_AFTER_S without a busy one.
    last_busy = time.monotonic()
    previous = tracker.cpu_seconds()
    settled = None
    tick = time.monotonic()
    while time.monotonic() - started < limit + 60:
        tick += SLOT_S
        time.sleep(max(0.0, tick - time.monotonic()))
        now = time.monotonic()
        cpu = tracker.cpu_seconds()
        if cpu - previous > BUSY_SLOT_S:
            last_busy = now
        previous = cpu
        if now - last_busy >= SETTLED_AFTER_S:
            settled = last_busy
            break
    r["start_settled_ms"] = (settled - started) * 1000 if settled else None
    r["start_cpu_s"] = tracker.cpu_seconds()
    r["rss_start_mib"] = proc.memory_kib(pid)[0] / 1024
    r["anon_start_mib"] = proc.anonymous_kib(pid) / 1024
    tracker.set_period(0.5)
    return pid, window, tracker, r


def wait_still(display, window, region, still=0.45, most=8.0, step=0.15):
    """Waits until the region has shown the same pixels for `still` seconds (covers that
    arrive one by one keep it moving); returns the last frame."""
    t0 = time.monotonic()
    previous = display.grab(window, *region)
    since = time.monotonic()
    while time.monotonic() - t0 < most:
        time.sleep(step)
        frame = display.grab(window, *region)
        if frame != previous:
            since = time.monotonic()
        elif time.monotonic() - since >= still:
            return frame
        previous = frame
    return previous


def scroll_grid(display, client, window, limit):
    """Scrolls the album grid to its end a few wheel clicks at a time, waiting each time
    until the grid is still (the covers of the rows in view have loaded). Returns
    (seconds, clicks)."""
    width, height = display.geometry(window)
    gx, gy = int(width * client.grid_point[0]), int(height * client.grid_point[1])
    xdotool(client.display, "mousemove", "--window", window, gx, gy)
    time.sleep(0.3)
    region = (max(0, gx - width // 5), max(0, gy - height // 4), 2 * (width // 5), 2 * (height // 4))
    t0 = time.monotonic()
    total, unmoved = 0, 0
    before = wait_still(display, window, region, still=1.0)
    while time.monotonic() - t0 < limit and unmoved < 2:
        display.wheel(client.scroll_clicks)
        total += client.scroll_clicks
        after = wait_still(display, window, region)
        unmoved = unmoved + 1 if after == before else 0
        before = after
    return time.monotonic() - t0, total


def latency_trials(watcher, count, act, title_of, settle=(0.45, 0.15), before=None, after=None):
    screen, title = [], []
    for _ in range(count):
        if before:
            before()
        on_screen, on_title = watcher.wait_for_change(act, title_of=title_of)
        if after:
            after()
        if on_screen is not None:
            screen.append(on_screen * 1000)
        if on_title is not None:
            title.append(on_title * 1000)
        time.sleep(settle[0] + random.random() * settle[1])
    return screen, title


def paused_at_start(link, position):
    link.command(f"play {position}")
    time.sleep(0.5)
    link.command("pause 1")
    link.command("seekcur 0")
    time.sleep(1.2)


def measure_latency(client, display, window, link, args, r):
    """Learns the title's pixels from the pair of songs paused at 0:00, then times track
    changes on them."""
    watcher = BarWatcher(display, window, client.bar)
    paused_at_start(link, 0)
    first = watcher.grab()
    paused_at_start(link, 1)
    second = watcher.grab()
    r["watched_pixels"] = watcher.learn_title(first, second)
    link.command("pause 0")
    time.sleep(1.0)
    if not r["watched_pixels"]:
        return

    def outside_next():
        link.send("next")

    title_of = (lambda: display.title(window))
    screen, title = [], []
    for _ in range(args.trials):
        s, t = latency_trials(watcher, 1, outside_next, title_of)
        link.answer()
        screen += s
        title += t
    r["next_screen_ms"], r["next_title_ms"] = screen, title
    button = client.next_button(*display.geometry(window))
    if button and Display.can_fake_input():
        xdotool(client.display, "windowactivate", window)
        time.sleep(0.5)
        at = display.to_root(window, *button)

        def hover():
            # As a hand does: on the button a moment before the click (the hover repaint
            # is not part of the answer), and away after it, before any tooltip.
            display.move_pointer(*at)
            time.sleep(0.25)

        r["own_screen_ms"], r["own_title_ms"] = latency_trials(
            watcher, args.trials, display.click, title_of, before=hover,
            after=lambda: display.move_pointer(1590, 990))


def run_client(client, display_name, display, mpd, mpd_tracker, args):
    r = {"load": load_average()}
    link = Link(mpd.port)
    set_queue(link, args.pair)
    pid, window, tracker, start = launch(client, display)
    r.update(start)
    try:
        xdotool(display_name, "windowmove", window, 0, 0)
        xdotool(display_name, "windowsize", window, *WINDOW_SIZE)
        time.sleep(1.5)
        log(f"{client.name}: mapped {r['start_mapped_ms']:.0f} ms, settled {r['start_settled_ms'] or -1:.0f} ms,"
            f" {r['start_cpu_s']:.2f} s CPU; load {r['load']}")

        if "idle" in args.phases:
            sampler = Sampler(tracker, mpd_tracker)
            link.command("play 0")
            time.sleep(3)
            if args.shots:
                shot(display_name, window, os.path.join(args.workdir, f"{client.name.lower()}-playing.png"))
            r["title_playing"] = display.title(window)
            r["shown"] = sampler.measure(args.phase)
            log(f"{client.name}: shown {r['shown']['wakeups']:.1f}/s {r['shown']['cpu_min']:.3f} s/min")

            link.command("play 0")
            xdotool(display_name, "windowminimize", window)
            time.sleep(3)
            r["hidden_unmapped"] = window not in display.mapped_windows_of(pid)
            r["hidden"] = sampler.measure(args.phase)
            log(f"{client.name}: hidden {r['hidden']['wakeups']:.1f}/s {r['hidden']['cpu_min']:.3f} s/min"
                f" (unmapped: {r['hidden_unmapped']})")
            xdotool(display_name, "windowactivate", window)
            time.sleep(2)

            link.command("stop")
            time.sleep(3)
            r["stopped"] = sampler.measure(args.phase)
            log(f"{client.name}: stopped {r['stopped']['wakeups']:.1f}/s {r['stopped']['cpu_min']:.3f} s/min")

        if "latency" in args.phases:
            measure_latency(client, display, window, link, args, r)
            log(f"{client.name}: next on screen {fmt_ms(r.get('next_screen_ms'))}, title {fmt_ms(r.get('next_title_ms'))},"
                f" own {fmt_ms(r.get('own_screen_ms'))} ({r.get('watched_pixels')} title pixels watched)")

        if "scroll" in args.phases:
            link.command("stop")
            time.sleep(1)
            r["scroll_s"], r["scroll_clicks"] = scroll_grid(display, client, window, args.scroll_limit)
            time.sleep(3)
            if args.shots:
                shot(display_name, window, os.path.join(args.workdir, f"{client.name.lower()}-scrolled.png"))
            r["covers_cached"] = client.covers_cached()
            rss, hwm = proc.memory_kib(pid)
            r["rss_scrolled_mib"], r["rss_peak_mib"] = rss / 1024, hwm / 1024
            r["anon_scrolled_mib"] = proc.anonymous_kib(pid) / 1024
            log(f"{client.name}: after scrolling ({r['scroll_clicks']} clicks, {r['scroll_s']:.0f} s,"
                f" {r['covers_cached']} of {args.covers} covers cached): anonymous {r['anon_scrolled_mib']:.1f} MiB,"
                f" RSS {r['rss_scrolled_mib']:.0f} MiB, peak {r['rss_peak_mib']:.0f}")
        names = tracker.process_names()
        r["group"] = sorted(set(names.values()))
        r["daemons_anon_mib"] = sum(proc.anonymous_kib(p) for p in names if p != pid) / 1024
    finally:
        tracker.halt()
        client.stop()
        link.close()
    return r


def warm_up(client, display):
    """One launch, not measured: the page cache, font and icon caches are warm after it
    for both clients alike."""
    try:
        _, _, tracker, r = launch(client, display)
        tracker.halt()
        log(f"{client.name}: warm-up launch, mapped {r['start_mapped_ms']:.0f} ms,"
            f" settled {r['start_settled_ms'] or -1:.0f} ms")
    finally:
        client.stop()


def shot(display_name, window, path):
    if shutil.which("import"):
        subprocess.run(["import", "-window", str(window), path], env=dict(os.environ, DISPLAY=display_name),
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=30)


def console_trials(binary, mpd, trials, pair):
    """Kelvane without a window: the `track` line after an outside `next`, and after its own."""
    import queue
    import threading

    link = Link(mpd.port)
    set_queue(link, pair)
    link.command("play 0")
    lines = queue.Queue()
    env = dict(os.environ)
    env.pop("DISPLAY", None)
    console = subprocess.Popen([binary, "--console", "--host", "127.0.0.1", "--port", str(mpd.port)],
                               stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                               env=env, bufsize=0)

    def reader():
        for raw in iter(console.stdout.readline, b""):
            lines.put((time.perf_counter(), raw.decode("utf-8", "replace")))

    threading.Thread(target=reader, daemon=True).start()

    def wait_track(start, timeout=2.0):
        while True:
            left = timeout - (time.perf_counter() - start)
            if left <= 0:
                return None
            try:
                at, line = lines.get(timeout=left)
            except queue.Empty:
                return None
            if line.startswith("track\t") and at >= start:
                return (at - start) * 1000

    time.sleep(2)  # connected, first events out
    while not lines.empty():
        lines.get()
    outside, own = [], []
    for _ in range(trials):
        start = time.perf_counter()
        link.send("next")
        got = wait_track(start)
        link.answer()
        if got is not None:
            outside.append(got)
        time.sleep(0.4 + random.random() * 0.15)
        while not lines.empty():
            lines.get()
    for _ in range(trials):
        start = time.perf_counter()
        console.stdin.write(b"next\n")
        got = wait_track(start)
        if got is not None:
            own.append(got)
        time.sleep(0.4 + random.random() * 0.15)
        while not lines.empty():
            lines.get()
    console.stdin.write(b"quit\n")
    try:
        console.wait(10)
    except subprocess.TimeoutExpired:
        console.kill()
    link.command("stop")
    link.close()
    return outside, own


def load_average():
    with open("/proc/loadavg") as f:
        return " ".join(f.read().split()[:3])


def fmt_ms(values):
    if not values:
        return "n/a"
    return f"{statistics.median(values):.1f} ms (max {max(values):.1f}, n={len(values)})"


def median(values):
    return statistics.median(values) if values else None


ROWS = [
    ("playing, shown: wakeups/s", "shown.wakeups", "<= 15"),
    ("playing, shown: CPU s/min", "shown.cpu_min", "<= 0.8x Cantata"),
    ("playing, shown: mpd CPU s/min", "shown.mpd_cpu_min", "<= 0.8x Cantata"),
    ("playing, minimised: wakeups/s", "hidden.wakeups", "<= 3"),
    ("playing, minimised: CPU s/min", "hidden.cpu_min", "<= Cantata"),
    ("playing, minimised: mpd CPU s/min", "hidden.mpd_cpu_min", "<= Cantata"),
    ("stopped, shown: wakeups/s", "stopped.wakeups", "<= 1"),
    ("stopped, shown: CPU s/min", "stopped.cpu_min", ""),
    ("stopped, shown: mpd CPU s/min", "stopped.mpd_cpu_min", ""),
    ("`next` to mpd -> title text, median ms", "next_screen_ms", "<= 20"),
    ("`next` to mpd -> title text, max ms", "next_screen_ms:max", ""),
    ("`next` to mpd -> window title, median ms", "next_title_ms", ""),
    ("own Next button -> title text, median ms", "own_screen_ms", "<= 20"),
    ("cold start: first window mapped, ms", "start_mapped_ms", "<= Cantata"),
    ("cold start: CPU s until window mapped", "start_mapped_cpu_s", ""),
    ("cold start: settled (100 ms slots), ms", "start_settled_ms", "<= Cantata"),
    ("cold start: CPU s until settled", "start_cpu_s", "<= Cantata"),
    ("anonymous memory after start, MiB", "anon_start_mib", ""),
    ("RSS after start, MiB", "rss_start_mib", ""),
    ("anonymous memory, every cover shown, MiB", "anon_scrolled_mib", "<= 0.8x Cantata"),
    ("RSS, every cover shown, MiB", "rss_scrolled_mib", "<= Cantata"),
    ("peak RSS, MiB", "rss_peak_mib", ""),
    ("covers cached of the library's", "covers_cached", "all"),
    ("daemons started for it: anonymous MiB", "daemons_anon_mib", ""),
]


def get(r, path):
    for key in path.split("."):
        if not isinstance(r, dict) or key not in r:
            return None
        r = r[key]
    return r


def value(r, path):
    """One round's figure: a list (trials) gives its median, or its max with ":max"."""
    if path.endswith(":max"):
        v = get(r, path[:-4])
        return max(v) if v else None
    v = get(r, path)
    if isinstance(v, list):
        return median(v)
    return v


def over_rounds(rounds, path):
    values = [v for v in (value(r, path) for r in rounds) if v is not None]
    return (median(values), values) if values else (None, [])


def show(v):
    if v is None:
        return "n/a"
    return f"{v:.3f}" if abs(v) < 10 else f"{v:.1f}"


def print_table(results, alone, console, args):
    k, c = results.get("Kelvane", []), results.get("Cantata", [])
    print()
    print(f"Kelvane beside Cantata, one run, rounds interleaved K, C x {args.rounds}, {args.phase:.0f} s a phase,"
          f" {args.trials} track changes ({time.strftime('%Y-%m-%d %H:%M UTC', time.gmtime())})")
    print("Each figure is the median of the rounds (values of each round in brackets); CPU from schedstat;"
          " the client counts with the daemons started for it.")
    header = f"{'figure':46} {'Kelvane':>9} {'Cantata':>9} {'K/C':>6}  {'target':16} rounds K | C"
    print(header)
    print("-" * len(header))
    for label, path, target in ROWS:
        (kv, kr), (cv, cr) = over_rounds(k, path), over_rounds(c, path)
        ratio = f"{kv / cv:.2f}" if kv is not None and cv else "n/a"
        rounds = " ".join(show(v) for v in kr) + " | " + " ".join(show(v) for v in cr)
        print(f"{label:46} {show(kv):>9} {show(cv):>9} {ratio:>6}  {target:16} {rounds}")
    if alone:
        print(f"{'mpd alone, playing, no client: CPU s/min':46} {show(alone['mpd_cpu_min']):>9}")
    print(f"library: {args.covers} covers; Kelvane's covers from {args.kelvane_covers}")
    loads = "; ".join(f"{name[0]}{i + 1} {r['load']}" for name, rounds in results.items()
                      for i, r in enumerate(rounds))
    print(f"load average: before the run {args.load_before}; at each launch {loads}; after {load_average()}")
    if console:
        outside, own = console
        print(f"Kelvane console: `track` line after an outside `next`: {fmt_ms(outside)} (target <= 20 ms)")
        print(f"Kelvane console: `track` line after its own `next`:    {fmt_ms(own)}")
    for name, rounds in results.items():
        r = rounds[-1]
        print(f"{name} (last round): title while playing {r.get('title_playing')!r}; minimised window unmapped:"
              f" {r.get('hidden_unmapped')}; {r.get('watched_pixels')} title pixels watched;"
              f" grid scrolled by {r.get('scroll_clicks')} wheel clicks in {r.get('scroll_s') or 0:.0f} s;"
              f" processes {', '.join(r.get('group') or [])}")
        for state in ("shown", "hidden", "stopped"):
            threads = get(r, state + ".threads") or {}
            top = sorted(threads.items(), key=lambda kv: -kv[1])[:5]
            if top:
                print(f"  {state:8} wakeups/s by thread: " + ", ".join(f"{n} {v:.1f}" for n, v in top))
            cpu = get(r, state + ".thread_cpu") or {}
            top = sorted(cpu.items(), key=lambda kv: -kv[1])[:5]
            if top:
                print(f"  {state:8} CPU s/min by thread:  " + ", ".join(f"{n} {v:.3f}" for n, v in top))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--quick", action="store_true", help="10 s phases, 6 track changes, one round each")
    parser.add_argument("--rounds", type=int, help="launches of each client, interleaved (default 2, 1 with --quick)")
    parser.add_argument("--phases", default=",".join(PHASES), help="parts after the start: " + ",".join(PHASES))
    parser.add_argument("--kelvane", default=os.path.join(ROOT, "build", "src", "app", "kelvane"))
    parser.add_argument("--kelvane-covers", choices=("web", "mpd"), default="web",
                        help="where Kelvane takes covers: the web server (default) or mpd")
    parser.add_argument("--genlib", default=os.path.join(ROOT, "build", "tests", "support", "kelvane-genlib"))
    parser.add_argument("--workdir", default=f"/tmp/kelvane-compare-peer-{os.getuid()}")
    parser.add_argument("--albums", type=int, default=2000, help="bulk albums of 10 songs (default 2000)")
    parser.add_argument("--clients", default="Kelvane,Cantata")
    parser.add_argument("--no-warm-up", dest="warm_up", action="store_false")
    parser.add_argument("--shots", action="store_true", help="keep screenshots in the work directory")
    parser.add_argument("--phase", type=float, help="seconds a phase (default 60, 10 with --quick)")
    args = parser.parse_args()
    args.phase = args.phase or (10.0 if args.quick else 60.0)
    args.trials = 6 if args.quick else 20
    args.rounds = args.rounds or (1 if args.quick else 2)
    args.scroll_limit = 600
    args.phases = {p.strip() for p in args.phases.split(",") if p.strip()}

    missing = [tool for tool in ("Xvfb", "openbox", "xdotool", "dbus-run-session", "mpd", "cantata")
               if not shutil.which(tool)]
    if missing:
        print("missing: " + ", ".join(missing) + "\ninstall with: apt-get install cantata xvfb openbox xdotool"
              " x11-utils dbus mpd", file=sys.stderr)
        return 2
    for path in (args.kelvane, args.genlib):
        if not os.access(path, os.X_OK):
            print(f"missing {path}: cmake --build build --target kelvane kelvane-genlib", file=sys.stderr)
            return 2

    args.load_before = load_average()
    os.makedirs(args.workdir, exist_ok=True)
    music = os.path.join(args.workdir, "music")
    log(f"library: {args.albums} x 10 songs in {music}")
    generate_library(args.genlib, music, args.albums, 10)
    args.pair = make_pair(music)
    args.covers = count_covers(music)
    mpd = PrivateMpd(args.workdir, music)
    helpers = []
    results = {}
    try:
        mpd.start()
        display_name, helpers = start_x(args.workdir)
        display = Display(display_name)
        log(f"mpd on 127.0.0.1:{mpd.port}, covers on :{mpd.http_port}, X on {display_name}")
        mpd_tracker = proc.Tracker(lambda: [mpd.pid])
        mpd_tracker.run(0.5)

        alone = None
        if "idle" in args.phases:
            link = Link(mpd.port)
            set_queue(link, args.pair)
            link.command("play 0")
            time.sleep(2)
            alone = Sampler(None, mpd_tracker).measure(args.phase)
            link.command("stop")
            link.close()
            log(f"mpd alone while playing: {alone['mpd_cpu_min']:.3f} s/min")

        wanted = [n.strip() for n in args.clients.split(",")]

        def make(name):
            if name == "Kelvane":
                return Kelvane(args.kelvane, args.workdir, display_name, mpd, covers=args.kelvane_covers)
            return Cantata(args.workdir, display_name, mpd)

        if args.warm_up:
            for name in wanted:
                warm_up(make(name), display)
        for round_number in range(args.rounds):
            for name in wanted:
                log(f"round {round_number + 1}: {name}")
                results.setdefault(name, []).append(
                    run_client(make(name), display_name, display, mpd, mpd_tracker, args))
        console = (console_trials(args.kelvane, mpd, 10, args.pair)
                   if "Kelvane" in wanted and "latency" in args.phases else None)
        mpd_tracker.halt()
        print_table(results, alone, console, args)
    finally:
        for p in helpers:
            p.terminate()
            try:
                p.wait(10)
            except subprocess.TimeoutExpired:
                p.kill()
        mpd.stop()
    return 0


if __name__ == "__main__":
    sys.exit(main())
