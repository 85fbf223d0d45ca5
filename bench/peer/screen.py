"""When does a track change reach the screen? The now-playing band of the window is copied
before the change is asked for and then every half millisecond until a pixel of the
title text differs.

Which pixels are the title's is learnt the same way for every client: the bench plays a
pair of songs of the same length, artist and album that differ only by their title, and
copies the band with each of them paused at 0:00. The pixels that differ are the title's
(the elapsed and total times, the progress bar and the cover are alike in both copies),
so a clock or a progress bar that happens to move at the change is never taken for the
answer.
"""
import operator
import time


class BarWatcher:
    def __init__(self, display, window, bar):
        self.display = display
        self.window = window
        width, height = display.geometry(window)
        edge, band = bar
        band = min(band, height)
        self.rect = (0, 0 if edge == "top" else height - band, width, band)
        self.width = width
        self.height = band
        self.watched = None

    def grab(self):
        return self.display.grab(self.window, *self.rect)

    def learn_title(self, first, second):
        """Watches the pixels that differ between two copies of the band (grab()), one per
        song of the pair; returns how many."""
        self.watched = sorted(_differing_pixels(first, second))
        return len(self.watched)

    def _watched_box(self):
        """The smallest rectangle holding the watched pixels, and their byte offsets in it:
        copying less keeps the polling light on a busy machine."""
        xs = [p % self.width for p in self.watched]
        ys = [p // self.width for p in self.watched]
        x0, y0 = min(xs), min(ys)
        w, h = max(xs) - x0 + 1, max(ys) - y0 + 1
        offsets = []
        for x, y in zip(xs, ys):
            o = 4 * ((y - y0) * w + (x - x0))
            offsets += (o, o + 1, o + 2)
        return (self.rect[0] + x0, self.rect[1] + y0, w, h), offsets

    def wait_for_change(self, act, timeout=2.0, title_of=None):
        """Calls act() and returns (seconds until the watched pixels changed, seconds until
        the window title changed), each None when it did not happen within the timeout.
        The clock starts just before act()."""
        box, offsets = self._watched_box()
        pick = operator.itemgetter(*offsets)
        grab = lambda: self.display.grab(self.window, *box)  # noqa: E731
        base = pick(grab())
        base_title = title_of() if title_of else None
        screen_at = title_at = None
        start = time.perf_counter()
        act()
        while True:
            now = time.perf_counter()
            if now - start > timeout:
                break
            if screen_at is None:
                frame = grab()
                if frame is not None and pick(frame) != base:
                    screen_at = time.perf_counter() - start
            if title_of and title_at is None and title_of() != base_title:
                title_at = time.perf_counter() - start
            if screen_at is not None and (title_at is not None or not title_of):
                break
            time.sleep(0.0005)
        return screen_at, title_at


def _differing_pixels(a, b):
    if a is None or b is None or len(a) != len(b):
        return []
    result = []
    # Most of the band is still: compare blocks of 256 pixels before single pixels.
    step = 1024
    for start in range(0, len(a), step):
        if a[start:start + step] == b[start:start + step]:
            continue
        for o in range(start, min(start + step, len(a)), 4):
            if a[o:o + 3] != b[o:o + 3]:
                result.append(o // 4)
    return result
