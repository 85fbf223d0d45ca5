#!/usr/bin/env python3
"""Under a French locale, a click on the progress bar seeks: mpd's elapsed time moves to
where the click fell (the numbers sent must keep their decimal point)."""
import locale
import time

import journey as j

SONG = "The Beatles/Abbey Road/01 Come Together.flac"


def seek_by_clicking_the_bar(world):
    # Without the locale generated, the C library would quietly stay in "C": the journey
    # would pass without saying anything about French users.
    try:
        locale.setlocale(locale.LC_NUMERIC, "fr_FR.UTF-8")
        comma = locale.str(1.5) == "1,5"
    except locale.Error:
        comma = False
    finally:
        locale.setlocale(locale.LC_NUMERIC, "C")
    if not comma:
        raise j.JourneyFailed("fr_FR.UTF-8 is not generated (scripts/install-deps.sh)")
    display = j.Display(world, 1600, 1000)
    mpd = j.Mpd(world)
    mpd.command(f'add "{SONG}"')
    mpd.command("play 0")
    duration = float(mpd.status()["duration"])
    window = world.start_kelvane(display, mpd, LANG="fr_FR.UTF-8", LC_ALL="fr_FR.UTF-8")
    left, top, _, _ = display.client_rect(window)

    # The bar knows the song once its total time is drawn: the track is then found.
    track = j.wait_for("the progress bar", lambda: j.progress_track(display.shot(window)))
    start, end, y = track
    if end - start < 100:
        raise j.JourneyFailed(f"no progress bar found: {track}")
    fraction = 0.75
    x = round(start + (end - start) * fraction)
    j.log(f"track {start}..{end} at y {y}: clicking at {x}")
    display.xdotool("mousemove", left + x, top + y)
    clicked = time.monotonic()
    display.xdotool("click", 1)

    wanted = duration * fraction
    # The knob's width and the track's caps make the click land a few pixels either way;
    # the song plays on after the seek, as long as the wait lasts (on a busy machine too).
    slack = duration * 12 / (end - start) + 2

    def moved():
        elapsed = float(mpd.status().get("elapsed", "0"))
        played = time.monotonic() - clicked
        return elapsed if wanted - slack <= elapsed <= wanted + slack + played else None

    elapsed = j.wait_for(f"mpd's elapsed time near {wanted:.0f} s", moved)
    j.log(f"elapsed {elapsed:.1f} s of {duration:.0f} s (wanted {wanted:.1f} ± {slack:.1f})")
    if mpd.status()["state"] != "play":
        raise j.JourneyFailed("the seek changed the play state")


if __name__ == "__main__":
    j.run("seek-fr", seek_by_clicking_the_bar)
