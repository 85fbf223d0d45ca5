#!/usr/bin/env python3
"""Without a mouse, with real key presses: Tab goes from the search field to the grid, then
to the sidebar (Shift+Tab back the same way); Space on an album opens its songs, which take
the keys at once: Enter there plays the song on the real mpd, Escape closes them. Where the
focus is, is read on the accessibility bus."""
import accessibility as a
import journey as j

SONG = "The Beatles/Abbey Road/02 Something.flac"


def focus_is(bus, app, what, check):
    # Followed by its events, as a screen reader follows it.
    def landed():
        node = bus.last_focus
        return node if check(node) else None
    return bus.wait_for(f"the focus in {what}", landed)


def tab_through_the_albums(world):
    display = j.Display(world, 1600, 1000)
    mpd = j.Mpd(world)
    bus = a.Bus(world, display)
    window = world.start_kelvane(display, mpd, **bus.kelvane_env())
    display.xdotool("windowactivate", "--sync", window, check=False)
    app = bus.app()
    bus.wait_for("the albums", lambda: a.find(bus, app, lambda n: a.role(n) == "list item"))

    in_search = lambda n: a.in_named(n, "text", "Rechercher des albums")
    in_grid = lambda n: a.in_named(n, "list", "Albums")
    in_sidebar = lambda n: a.in_named(n, "tree", "Navigation")
    display.xdotool("key", "ctrl+f")
    focus_is(bus, app, "the search field", in_search)
    steps = [("Tab", "the grid", in_grid), ("Tab", "the sidebar", in_sidebar),
             ("shift+Tab", "the grid", in_grid), ("shift+Tab", "the search field", in_search)]
    for key, what, check in steps:
        display.xdotool("key", key)
        node = focus_is(bus, app, what, check)
        j.log(f"{key}: {what} ({a.describe(node)})")

    # Only Abbey Road left in the grid: Tab reaches it, Space opens its songs.
    display.xdotool("type", "--delay", "20", "abbey road")
    bus.wait_for("the grid filtered to one album", lambda: [
        n.name for n in a.walk(a.find_named(bus, app, "list", "Albums"))
        if a.role(n) == "list item"] == ["Abbey Road — The Beatles"])
    display.xdotool("key", "Tab")
    focus_is(bus, app, "the grid", in_grid)
    display.xdotool("key", "space")
    # The songs come in a popup, which the tree does not list: the focus events lead there.
    in_songs = lambda n: a.in_named(n, "table", "Morceaux de l'album")
    bus.wait_for("the focus in the album's songs", lambda: in_songs(bus.last_focus))
    songs = bus.last_focus
    j.log(f"Space: the songs are open, focus on {a.describe(songs)}")
    display.xdotool("key", "Down")
    bus.wait_for("the second song current", lambda: in_songs(bus.last_focus)
                 and bus.last_focus.name.startswith("Something"))
    display.xdotool("key", "Return")
    j.wait_for("mpd playing Something", lambda: mpd.status().get("state") == "play" and any(
        e.get("file") == SONG and e.get("Pos") == mpd.status().get("song") for e in mpd.queue()))
    display.xdotool("key", "Escape")
    focus_is(bus, app, "the grid again, the songs closed", in_grid)


if __name__ == "__main__":
    a.needs_pyatspi("keyboard-tab-order")
    j.run("keyboard-tab-order", tab_through_the_albums)
