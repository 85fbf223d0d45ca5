#!/usr/bin/env python3
"""Quit on a large screen with a large window, start again on a smaller screen: the window
comes back wholly inside it, frame and all, with the now-playing bar on screen."""
import journey as j


def inside(frame, width, height):
    x, y, w, h = frame
    return x >= 0 and y >= 0 and x + w <= width and y + h <= height


def come_back_on_a_smaller_screen(world):
    mpd = j.Mpd(world)
    large = j.Display(world, 1920, 1200)
    window = world.start_kelvane(large, mpd)
    # The user makes it large and puts it low on the screen.
    large.xdotool("windowsize", "--sync", window, 1700, 1060)
    large.xdotool("windowmove", "--sync", window, 150, 100)
    j.wait_for("the window to take its new size",
               lambda: large.client_rect(window)[2:] == (1700, 1060))
    j.log(f"left at {large.frame_rect(window)} on 1920×1200")
    large.xdotool("windowactivate", "--sync", window)
    large.xdotool("key", "--clearmodifiers", "ctrl+q")
    j.wait_for("kelvane to quit", lambda: world.app.poll() is not None)
    if world.app.returncode != 0:
        raise j.JourneyFailed(f"kelvane quit with status {world.app.returncode}")

    small = j.Display(world, 1280, 720)
    window = world.start_kelvane(small, mpd)
    # Once framed, the frame must lie inside the screen (openbox draws no panel here).
    def framed_inside():
        frame = small.frame_rect(window)
        return frame if inside(frame, 1280, 720) else None

    frame = j.wait_for("the window inside the 1280×720 screen", framed_inside)
    j.log(f"came back at {frame} on 1280×720")
    # The bar along the bottom of the window is on screen: its progress bar is drawn.
    j.wait_for("the now-playing bar", lambda: j.progress_track(small.shot(window)))


if __name__ == "__main__":
    j.run("smaller-screen", come_back_on_a_smaller_screen)
