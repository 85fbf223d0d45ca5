#!/usr/bin/env python3
"""The queue without a mouse, with real key presses: Tab reaches it, the arrows move in it,
Delete takes the row out, Ctrl+Return plays the row next ("Lire ensuite"), and the Menu key
and Shift+F10 open its context menu on the current row. Judged by what mpd holds."""
import accessibility as a
import journey as j

SONGS = ["The Beatles/Abbey Road/01 Come Together.flac",
         "The Beatles/Abbey Road/02 Something.flac",
         "The Beatles/Let It Be/01 Two of Us.flac",
         "Compilations/Summer Hits/01 Sun.flac"]


def in_queue(node):
    return a.in_named(node, "table", "Lecture en cours")


def current_row(bus, app):
    """What the queue's current row reads, as the focus events say (what a screen
    reader reads when the arrows move)."""
    node = bus.last_focus
    return node.name if node is not None and a.role(node) == "table cell" and in_queue(node) \
        else ""


def edit_the_queue(world):
    display = j.Display(world, 1600, 1000)
    mpd = j.Mpd(world)
    bus = a.Bus(world, display)
    for song in SONGS:
        mpd.command(f'add "{song}"')
    mpd.command("play 0")
    mpd.command("pause 1")
    window = world.start_kelvane(display, mpd, **bus.kelvane_env())
    display.xdotool("windowactivate", "--sync", window, check=False)
    app = bus.app()
    display.xdotool("key", "ctrl+2")
    bus.wait_for("the queue's rows", lambda: len([
        n for n in a.walk(a.find_named(bus, app, "table", "Lecture en cours"))
        if a.role(n) == "table cell"]) >= len(SONGS))

    # Tab from the sidebar until the queue has the keys: a few presses, not a search. The
    # focus is followed by its events, as a screen reader follows it.
    display.xdotool("key", "ctrl+2")
    presses = 0
    while not in_queue(bus.last_focus):
        presses += 1
        if presses > 6:
            raise j.JourneyFailed(f"Tab did not reach the queue; focus on "
                                  f"{a.describe(bus.last_focus)}")
        # Each Tab moves the focus: the next one is pressed once this one has landed.
        before = len(bus.focus_moves)
        display.xdotool("key", "Tab")
        bus.wait_for("the focus to move", lambda: len(bus.focus_moves) > before)
    j.log(f"the queue has the keys after {presses} Tab")

    # Delete: the second row goes.
    display.xdotool("key", "Home", "Down")
    bus.wait_for("the second row current", lambda: current_row(bus, app).startswith("Something"))
    display.xdotool("key", "Delete")
    j.wait_for("Something out of the queue",
               lambda: mpd.queue_files() == [SONGS[0], SONGS[2], SONGS[3]])

    # Ctrl+Return: the last row plays next, right after the song playing.
    display.xdotool("key", "End")
    bus.wait_for("the last row current", lambda: current_row(bus, app).startswith("Sun"))
    display.xdotool("key", "ctrl+Return")
    j.wait_for("Sun right after the song playing",
               lambda: mpd.queue_files() == [SONGS[0], SONGS[3], SONGS[2]])

    # The Menu key and Shift+F10: the row's menu, once each. Menus are popups, which the
    # tree does not list: they are seen as windows, their entries through the focus.
    windows = lambda: len(display.windows_of(world.app.pid))
    alone = windows()
    for key in ("Menu", "shift+F10"):
        display.xdotool("key", key)
        j.wait_for(f"the menu of {key}", lambda: windows() == alone + 1)
        display.xdotool("key", "Down")
        bus.wait_for("its first entry", lambda: a.role(bus.last_focus) == "menu item"
                     and bus.last_focus.name == "Lire")
        display.xdotool("key", "Escape", "End", "Home")
        # Home lands after every event the menu's key could have caused: a second menu
        # would be open by then.
        bus.wait_for("the queue's first row", lambda: current_row(bus, app).startswith("Come"))
        if windows() != alone:
            raise j.JourneyFailed(f"{key} left {windows() - alone} menus open")
        j.log(f"{key}: the row's menu opened once")
    # Chosen with the keys: the menu's second entry, "Lire ensuite", on "Two of Us".
    display.xdotool("key", "End", "Menu")
    j.wait_for("the menu", lambda: windows() == alone + 1)
    display.xdotool("key", "Down", "Down")
    bus.wait_for("Lire ensuite", lambda: a.role(bus.last_focus) == "menu item"
                 and bus.last_focus.name == "Lire ensuite")
    display.xdotool("key", "Return")
    j.wait_for("Two of Us right after the song playing",
               lambda: mpd.queue_files() == [SONGS[0], SONGS[2], SONGS[3]])

if __name__ == "__main__":
    a.needs_pyatspi("keyboard-queue")
    j.run("keyboard-queue", edit_the_queue)
