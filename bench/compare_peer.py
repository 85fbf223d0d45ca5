#!/usr/bin/env python3
"""Kelvane beside Cantata, measured in one run against one private mpd.

Each client runs alone under the same Xvfb display and window manager, with a fresh home,
at the same window size, against a private mpd on 127.0.0.1 serving a generated tagged
library (20,023 songs in 2,015 albums, a cover in every album directory). Figures:

- wakeups: context switches a second (voluntary + involuntary, every thread, /proc);
- CPU seconds a minute of the client (/proc/PID/stat) and of mpd meanwhile, while playing
  with the window shown, playing with it minimised, and stopped;
- track change on screen: from `next` written to mpd on a socket of our own until the
  now-playing band of the window shows the change (pixels, the same method for both);
  the window title's change beside it; the same after the client's own Next shortcut;
- cold start: launch to first window mapped, and until the start work has settled
  (CPU quiet), with the CPU spent; RSS then, and after scrolling the whole album grid;
- Kelvane's console: the `track` line after an outside `next` and after its own `next`.

Usage: bench/compare_peer.py [--quick] [--kelvane build/src/app/kelvane]
  --quick: 10 s phases and fewer trials, about 3 minutes in all; the full run about 12.

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
from peer.server import Link, PrivateMpd, generate_library, quote  # noqa: E402
from peer.x11 import Display  # noqa: E402

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
WINDOW_SIZE = (1280, 800)
LONG_SONGS = ["The Beatles/Abbey Road/01 Come Together.flac", "The Beatles/Abbey Road/02 Something.flac"]


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
    """Counters of the client and of mpd over one phase."""

    def __init__(self, client_pid, mpd_pid):
        self.client_pid = client_pid
        self.mpd_pid = mpd_pid

    def measure(self, seconds):
        c0 = proc.Reading(self.client_pid) if self.client_pid else None
        m0 = proc.Reading(self.mpd_pid)
        t0 = time.monotonic()
        time.sleep(seconds)
        elapsed = time.monotonic() - t0
        c1 = proc.Reading(self.client_pid) if self.client_pid else None
        m1 = proc.Reading(self.mpd_pid)
        result = {"mpd_cpu_min": (m1.cpu - m0.cpu) * 60 / elapsed,
                  "mpd_run_min": proc.runtime_between(m0, m1)[0] * 60 / elapsed}
        if c0 and c1:
            total, by_name = proc.switches_between(c0, c1)
            run, run_by_name = proc.runtime_between(c0, c1)
            result.update(wakeups=total / elapsed, cpu_min=(c1.cpu - c0.cpu) * 60 / elapsed,
                          run_min=run * 60 / elapsed,
                          threads={k: v / elapsed for k, v in by_name.items() if v},
                          thread_cpu={k: v * 60 / elapsed for k, v in run_by_name.items() if v})
        return result


def set_queue(link):
    link.command("stop")
    link.command("clear")
    for uri in LONG_SONGS:
        link.command("add " + quote(uri))
    for option in ("repeat 1", "random 0", "single 0", "consume 0"):
        link.command(option)


def wait_quiet(pid, limit, quiet=0.03, window=1.0):
    """Waits until the process spends under `quiet` of a core over `window` seconds twice
    in a row; returns when the quiet stretch began."""
    deadline = time.monotonic() + limit
    calm = 0
    calm_since = None
    while time.monotonic() < deadline:
        t0, c0 = time.monotonic(), proc.cpu_seconds(pid)
        time.sleep(window)
        c1 = proc.cpu_seconds(pid)
        if c0 is None or c1 is None:
            raise RuntimeError("the client ended")
        if (c1 - c0) / (time.monotonic() - t0) < quiet:
            calm += 1
            calm_since = calm_since or t0
            if calm >= 2:
                return calm_since
        else:
            calm, calm_since = 0, None
    return None


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


def scroll_grid(display, client, window, limit):
    """Wheel clicks over the album grid until it stops moving; returns (seconds, clicks)."""
    width, height = display.geometry(window)
    gx, gy = int(width * client.grid_point[0]), int(height * client.grid_point[1])
    xdotool(client.display, "mousemove", "--window", window, gx, gy)
    time.sleep(0.3)
    region = (max(0, gx - 150), max(0, gy - 150), 300, 300)
    t0 = time.monotonic()
    clicks, still = 0, 0
    previous = display.grab(window, *region)
    while time.monotonic() - t0 < limit and still < 3:
        display.wheel(20)
        clicks += 20
        time.sleep(0.15)
        frame = display.grab(window, *region)
        still = still + 1 if frame == previous else 0
        previous = frame
    return time.monotonic() - t0, clicks


def run_client(client, display_name, display, mpd, args, shots):
    phase = args.phase
    r = {}
    link = Link(mpd.port)
    set_queue(link)
    started = client.start()
    pid = client.find_pid(time.monotonic() + 30)
    window = None
    deadline = time.monotonic() + 60
    while window is None and time.monotonic() < deadline:
        windows = display.mapped_windows_of(pid)
        if windows:
            # The main window, not a message box that may come up with it.
            window = max(windows, key=lambda w: (display.geometry(w) or (0, 0))[0] * (display.geometry(w) or (0, 0))[1])
            break
        time.sleep(0.005)
    if window is None:
        raise RuntimeError(f"{client.name}: no window within 60 s")
    r["start_mapped_ms"] = (time.monotonic() - started) * 1000
    # On a shared, loaded machine the wall time mostly measures the queue for a core; the
    # CPU spent until then does not.
    r["start_mapped_cpu_s"] = proc.cpu_seconds(pid)
    quiet_from = wait_quiet(pid, 120)
    r["start_settled_ms"] = (quiet_from - started) * 1000 if quiet_from else None
    r["start_cpu_s"] = proc.cpu_seconds(pid)
    r["rss_start_mib"] = proc.memory_kib(pid)[0] / 1024
    xdotool(display_name, "windowmove", window, 0, 0)
    xdotool(display_name, "windowsize", window, *WINDOW_SIZE)
    time.sleep(1.5)
    log(f"{client.name}: mapped {r['start_mapped_ms']:.0f} ms, settled {r['start_settled_ms'] or -1:.0f} ms")

    sampler = Sampler(pid, mpd.pid)
    link.command("play 0")
    time.sleep(3)
    if shots:
        shot(display_name, window, os.path.join(args.workdir, f"{client.name.lower()}-playing.png"))
    r["title_playing"] = display.title(window)
    r["shown"] = sampler.measure(phase)
    log(f"{client.name}: shown {r['shown']['wakeups']:.1f}/s {r['shown']['cpu_min']:.3f} s/min")

    link.command("play 0")
    xdotool(display_name, "windowminimize", window)
    time.sleep(3)
    r["hidden_unmapped"] = window not in display.mapped_windows_of(pid)
    r["hidden"] = sampler.measure(phase)
    log(f"{client.name}: hidden {r['hidden']['wakeups']:.1f}/s {r['hidden']['cpu_min']:.3f} s/min"
        f" (unmapped: {r['hidden_unmapped']})")
    xdotool(display_name, "windowactivate", window)
    time.sleep(2)

    link.command("stop")
    time.sleep(3)
    r["stopped"] = sampler.measure(phase)
    log(f"{client.name}: stopped {r['stopped']['wakeups']:.1f}/s {r['stopped']['cpu_min']:.3f} s/min")

    # Track changes: learn which pixels of the bar a change redraws, then time them.
    watcher = BarWatcher(display, window, client.bar)
    link.command("play 0")
    time.sleep(1)
    link.command("next")
    time.sleep(0.5)
    moving = watcher.learn_motion(3.0)

    def outside_next():
        link.send("next")

    def answered_next():
        outside_next()
        link.answer()

    learnt = watcher.learn_change(moving, answered_next) + watcher.learn_change(moving, answered_next)
    r["watched_pixels"] = len(watcher.watched or ())
    title_of = (lambda: display.title(window))
    if learnt:
        screen, title = [], []
        for _ in range(args.trials):
            s, t = latency_trials(watcher, 1, outside_next, title_of)
            link.answer()
            screen += s
            title += t
        r["next_screen_ms"], r["next_title_ms"] = screen, title
        button = client.next_button(*display.geometry(window))
        if button and Display.can_fake_input():
            xdotool(display_name, "windowactivate", window)
            time.sleep(0.5)
            at = display.to_root(window, *button)

            def hover():
                # As a hand does: on the button a moment before the click (the hover
                # repaint is not part of the answer), and away after it, before any tooltip.
                display.move_pointer(*at)
                time.sleep(0.25)

            r["own_screen_ms"], r["own_title_ms"] = latency_trials(
                watcher, args.trials, display.click, title_of, before=hover,
                after=lambda: display.move_pointer(1590, 990))
    log(f"{client.name}: next on screen {fmt_ms(r.get('next_screen_ms'))}, title {fmt_ms(r.get('next_title_ms'))},"
        f" own {fmt_ms(r.get('own_screen_ms'))} ({r['watched_pixels']} pixels watched)")

    link.command("stop")
    time.sleep(1)
    r["scroll_s"], r["scroll_clicks"] = scroll_grid(display, client, window, args.scroll_limit)
    time.sleep(3)
    if shots:
        shot(display_name, window, os.path.join(args.workdir, f"{client.name.lower()}-scrolled.png"))
    r["rss_scrolled_mib"], hwm = proc.memory_kib(pid)
    r["rss_scrolled_mib"] /= 1024
    r["rss_peak_mib"] = hwm / 1024
    log(f"{client.name}: RSS {r['rss_start_mib']:.0f} MiB after start, {r['rss_scrolled_mib']:.0f} MiB after"
        f" scrolling ({r['scroll_clicks']} clicks, {r['scroll_s']:.0f} s), peak {r['rss_peak_mib']:.0f}")
    client.stop()
    link.close()
    return r


def shot(display_name, window, path):
    if shutil.which("import"):
        subprocess.run(["import", "-window", str(window), path], env=dict(os.environ, DISPLAY=display_name),
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=30)


def console_trials(binary, mpd, trials):
    """Kelvane without a window: the `track` line after an outside `next`, and after its own."""
    import queue
    import threading

    link = Link(mpd.port)
    set_queue(link)
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


def print_table(results, alone, console, args):
    k, c = results.get("Kelvane", {}), results.get("Cantata", {})

    def get(r, path):
        for key in path.split("."):
            if not isinstance(r, dict) or key not in r:
                return None
            r = r[key]
        return r

    rows = [
        ("playing, shown: wakeups/s", "shown.wakeups", "<= 15"),
        ("playing, shown: CPU s/min", "shown.cpu_min", "<= Cantata"),
        ("  the same from schedstat (ns)", "shown.run_min", ""),
        ("playing, shown: mpd CPU s/min", "shown.mpd_cpu_min", "<= Cantata"),
        ("  the same from schedstat (ns)", "shown.mpd_run_min", ""),
        ("playing, minimised: wakeups/s", "hidden.wakeups", "<= 3"),
        ("playing, minimised: CPU s/min", "hidden.cpu_min", "<= Cantata"),
        ("  the same from schedstat (ns)", "hidden.run_min", ""),
        ("playing, minimised: mpd CPU s/min", "hidden.mpd_cpu_min", "<= Cantata"),
        ("  the same from schedstat (ns)", "hidden.mpd_run_min", ""),
        ("stopped, shown: wakeups/s", "stopped.wakeups", "<= 1"),
        ("stopped, shown: CPU s/min", "stopped.cpu_min", ""),
        ("  the same from schedstat (ns)", "stopped.run_min", ""),
        ("stopped, shown: mpd CPU s/min", "stopped.mpd_cpu_min", ""),
        ("`next` to mpd -> bar pixels, median ms", "next_screen_ms", "<= 20"),
        ("`next` to mpd -> bar pixels, max ms", "next_screen_ms:max", ""),
        ("`next` to mpd -> window title, median ms", "next_title_ms", ""),
        ("own Next button clicked -> bar pixels, median ms", "own_screen_ms", "<= 20"),
        ("cold start: first window mapped, ms", "start_mapped_ms", "<= Cantata"),
        ("cold start: CPU s until window mapped", "start_mapped_cpu_s", ""),
        ("cold start: settled (CPU quiet), ms", "start_settled_ms", "<= Cantata"),
        ("cold start: CPU s until settled", "start_cpu_s", "<= Cantata"),
        ("RSS after start, MiB", "rss_start_mib", "<= Cantata"),
        ("RSS after scrolling the album grid, MiB", "rss_scrolled_mib", "<= Cantata"),
        ("peak RSS, MiB", "rss_peak_mib", ""),
    ]

    def value(r, path):
        if path.endswith(":max"):
            v = get(r, path[:-4])
            return max(v) if v else None
        v = get(r, path)
        if isinstance(v, list):
            return median(v)
        return v

    def show(v):
        if v is None:
            return "n/a"
        return f"{v:.3f}" if abs(v) < 10 else f"{v:.1f}"

    print()
    print(f"Kelvane beside Cantata, one run, {args.phase:.0f} s a phase, {args.trials} track changes"
          f" ({time.strftime('%Y-%m-%d %H:%M UTC', time.gmtime())})")
    header = f"{'figure':50} {'Kelvane':>10} {'Cantata':>10} {'K/C':>7}  target"
    print(header)
    print("-" * len(header))
    for label, path, target in rows:
        kv, cv = value(k, path), value(c, path)
        ratio = f"{kv / cv:.2f}" if kv is not None and cv else "n/a"
        print(f"{label:50} {show(kv):>10} {show(cv):>10} {ratio:>7}  {target}")
    print(f"{'mpd alone, playing, no client: CPU s/min':50} {show(alone['mpd_cpu_min']):>10}"
          f"  (schedstat {show(alone['mpd_run_min'])})")
    print(f"load average before / after the run: {args.load_before} / {load_average()}")
    if console:
        outside, own = console
        print(f"Kelvane console: `track` line after an outside `next`: {fmt_ms(outside)} (target <= 20 ms)")
        print(f"Kelvane console: `track` line after its own `next`:    {fmt_ms(own)}")
    for name, r in results.items():
        print(f"{name}: title while playing {r.get('title_playing')!r}; minimised window unmapped:"
              f" {r.get('hidden_unmapped')}; {r.get('watched_pixels')} bar pixels watched;"
              f" grid scrolled by {r.get('scroll_clicks')} wheel clicks in {r.get('scroll_s', 0):.0f} s")
        for state in ("shown", "hidden", "stopped"):
            threads = get(r, state + ".threads") or {}
            top = sorted(threads.items(), key=lambda kv: -kv[1])[:5]
            print(f"  {state:8} wakeups/s by thread: " + ", ".join(f"{n} {v:.1f}" for n, v in top))
            cpu = get(r, state + ".thread_cpu") or {}
            top = sorted(cpu.items(), key=lambda kv: -kv[1])[:5]
            print(f"  {state:8} CPU s/min by thread:  " + ", ".join(f"{n} {v:.3f}" for n, v in top))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--quick", action="store_true", help="10 s phases, 6 track changes (~3 min)")
    parser.add_argument("--kelvane", default=os.path.join(ROOT, "build", "src", "app", "kelvane"))
    parser.add_argument("--genlib", default=os.path.join(ROOT, "build", "tests", "support", "kelvane-genlib"))
    parser.add_argument("--workdir", default=f"/tmp/kelvane-compare-peer-{os.getuid()}")
    parser.add_argument("--albums", type=int, default=2000, help="bulk albums of 10 songs (default 2000)")
    parser.add_argument("--clients", default="Kelvane,Cantata")
    parser.add_argument("--shots", action="store_true", help="keep screenshots in the work directory")
    args = parser.parse_args()
    args.phase = 10.0 if args.quick else 60.0
    args.trials = 6 if args.quick else 20
    args.scroll_limit = 60 if args.quick else 150

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
    mpd = PrivateMpd(args.workdir, music)
    helpers = []
    results = {}
    try:
        mpd.start()
        display_name, helpers = start_x(args.workdir)
        display = Display(display_name)
        log(f"mpd on 127.0.0.1:{mpd.port}, covers on :{mpd.http_port}, X on {display_name}")

        link = Link(mpd.port)
        set_queue(link)
        link.command("play 0")
        time.sleep(2)
        alone = Sampler(None, mpd.pid).measure(args.phase)
        link.command("stop")
        link.close()
        log(f"mpd alone while playing: {alone['mpd_cpu_min']:.3f} s/min")

        wanted = [n.strip() for n in args.clients.split(",")]
        for name in wanted:
            client = (Kelvane(args.kelvane, args.workdir, display_name, mpd) if name == "Kelvane"
                      else Cantata(args.workdir, display_name, mpd))
            try:
                results[name] = run_client(client, display_name, display, mpd, args, args.shots)
            finally:
                client.stop()
        console = console_trials(args.kelvane, mpd, 10) if "Kelvane" in wanted else None
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
