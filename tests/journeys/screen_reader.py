#!/usr/bin/env python3
"""Kelvane through the accessibility bus, as a screen reader reads and drives it: every
control of every view has a name, the grid's albums and the queue's rows read as people
say them, the song playing is readable and its change is announced, and the transport
buttons, the mode toggles and the volume slider work through the bus on the real mpd."""
import accessibility as a
import journey as j

ALBUM = "The Beatles/Abbey Road"
VIEWS = [("ctrl+1", "Albums"), ("ctrl+2", "Lecture en cours"), ("ctrl+3", "Stream"),
         ("ctrl+4", "Radio")]


def unnamed_controls(bus, app):
    """The showing controls without a name, and how many controls were looked at."""
    checked, unnamed = 0, []
    for node in a.walk(app):
        if a.role(node) not in a.CONTROL_ROLES or not a.showing(bus, node):
            continue
        checked += 1
        if not (node.name or "").strip():
            parent = node.parent
            unnamed.append(f"{a.describe(node)} in {a.describe(parent)}")
    return checked, unnamed


def title_of(bus, app):
    box = a.find(bus, app, lambda n: n.name == "Lecture en cours"
                 and a.role(n) in ("filler", "panel"))
    return box.description if box is not None else None


def read_and_drive(world):
    display = j.Display(world, 1600, 1000)
    mpd = j.Mpd(world)
    bus = a.Bus(world, display)
    for song in ("01 Come Together.flac", "02 Something.flac"):
        mpd.command(f'add "{ALBUM}/{song}"')
    mpd.command("play 0")
    mpd.command("setvol 50")
    window = world.start_kelvane(display, mpd, **bus.kelvane_env())
    display.xdotool("windowactivate", "--sync", window, check=False)
    app = bus.app()

    # Every view: no control without a name.
    total = 0
    for keys, view in VIEWS:
        display.xdotool("key", keys)
        bus.wait_for(f"the {view} view", lambda: a.find_named(bus, app, "label", view))
        if view == "Albums":
            bus.wait_for("the albums in the grid",
                         lambda: a.find(bus, app, lambda n: a.role(n) == "list item"))
        checked, unnamed = unnamed_controls(bus, app)
        j.log(f"{view}: {checked} controls checked, {len(unnamed)} without a name")
        if unnamed:
            raise j.JourneyFailed(f"{view}: controls without a name: {unnamed[:10]}")
        if checked < 10:
            raise j.JourneyFailed(f"{view}: only {checked} controls found: the walk went wrong")
        total += checked
    # The preferences, a window of their own.
    display.xdotool("key", "ctrl+comma")
    preferences = bus.wait_for("the preferences", lambda: a.find(
        bus, app, lambda n: n.name == "Préférences" and a.role(n) in ("frame", "dialog")
        and a.showing(bus, n)))
    checked, unnamed = unnamed_controls(bus, preferences)
    j.log(f"Préférences: {checked} controls checked, {len(unnamed)} without a name")
    if unnamed or checked < 8:
        raise j.JourneyFailed(f"Préférences: {checked} controls, without a name: {unnamed}")
    total += checked
    display.xdotool("key", "Escape")
    bus.wait_for("the preferences closed", lambda: not a.showing(bus, preferences))
    j.log(f"all views: {total} controls checked, none without a name")

    # The grid reads "Album — Artiste"; the queue's rows title, artist and time.
    display.xdotool("key", "ctrl+1")
    grid = bus.wait_for("the album grid", lambda: a.find_named(bus, app, "list", "Albums"))
    names = [grid.getChildAtIndex(i).name for i in range(min(grid.childCount, 200))]
    if "Abbey Road — The Beatles" not in names:
        raise j.JourneyFailed(f"the grid does not read 'Abbey Road — The Beatles': {names[:8]}")
    j.log(f"the grid reads {len(names)} albums, e.g. {names[:3]}")
    display.xdotool("key", "ctrl+2")
    queue = bus.wait_for("the queue", lambda: a.find_named(bus, app, "table", "Lecture en cours"))
    seconds = int(float(mpd.queue()[0]["duration"]))
    time_text = f"{seconds // 60}:{seconds % 60:02d}"
    wanted = f"Come Together, The Beatles, {time_text}, en cours"
    rows = bus.wait_for("the queue's rows", lambda: [
        c.name for c in (queue.getChildAtIndex(i) for i in range(queue.childCount))
        if a.role(c) == "table cell" and c.name.startswith("Come Together")])
    if wanted not in rows:
        raise j.JourneyFailed(f"the playing row reads {rows}, not {wanted!r}")

    # The song playing, and its change announced when Suivant is pressed through the bus.
    first = bus.wait_for("the song playing", lambda: title_of(bus, app))
    if not first.startswith("Come Together, The Beatles"):
        raise j.JourneyFailed(f"the song playing reads {first!r}")
    bus.listen("object:property-change:accessible-name")
    bus.listen("object:property-change:accessible-description")
    bus.events.clear()
    suivant = a.find_named(bus, app, "push button", "Suivant")
    if suivant is None or not suivant.queryAction().doAction(0):
        raise j.JourneyFailed("Suivant cannot be pressed through the bus")
    j.wait_for("mpd on the second song", lambda: mpd.status().get("song") == "1")
    bus.wait_for("the new song announced", lambda: any(
        "Something" in (name or "") + (description or "")
        for _, name, description in bus.events))
    j.log(f"Suivant pressed: {len(bus.events)} name and description changes announced")
    if not title_of(bus, app).startswith("Something, The Beatles"):
        raise j.JourneyFailed(f"after Suivant the song reads {title_of(bus, app)!r}")

    # A toggle says its state; pressed through the bus it asks mpd, and follows mpd.
    random = a.find_named(bus, app, "check box", "Aléatoire")
    was = mpd.status()["random"]
    random.queryAction().doAction(0)
    j.wait_for("mpd's random mode to flip", lambda: mpd.status()["random"] != was)
    checked = bus.pyatspi.STATE_CHECKED
    bus.wait_for("the toggle to say so", lambda: a.has_state(random, checked) == (was == "0"))

    # The volume slider: its value as a percentage, set through the bus.
    volume = a.find_named(bus, app, "slider", "Volume")
    if round(volume.queryValue().currentValue) != 50 or volume.description != "50 %":
        raise j.JourneyFailed(f"volume reads {volume.queryValue().currentValue} "
                              f"/ {volume.description!r}")
    volume.queryValue().currentValue = 30
    j.wait_for("mpd's volume at 30", lambda: mpd.status().get("volume") == "30")
    position = a.find_named(bus, app, "slider", "Position")
    if " sur " not in (position.description or ""):
        raise j.JourneyFailed(f"the position reads {position.description!r}")
    j.log(f"position reads {position.description!r}")


if __name__ == "__main__":
    a.needs_pyatspi("screen-reader")
    j.run("screen-reader", read_and_drive)
