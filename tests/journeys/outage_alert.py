#!/usr/bin/env python3
"""mpd killed while the window is up: the alert comes over the window; mpd started again:
the link heals by itself and the alert goes away without a click."""
import journey as j


def alert_goes_when_the_server_comes_back(world):
    display = j.Display(world, 1600, 1000)
    mpd = j.Mpd(world)
    window = world.start_kelvane(display, mpd)
    j.wait_for("the albums", lambda: j.sidebar_highlight(display.shot(window)))

    def alerts():
        return [w for w in display.windows_of(world.app.pid) if w != window and display.is_dialog(w)]

    if alerts():
        raise j.JourneyFailed("an alert before anything went wrong")
    mpd.kill()
    alert = j.wait_for("the alert", alerts)[0]
    j.log(f"alert {alert}: {display.title(alert)!r}")
    mpd.start()
    j.wait_for("the alert to close by itself", lambda: not alerts(), cap=j.PATIENCE * 2)


if __name__ == "__main__":
    j.run("outage-alert", alert_goes_when_the_server_comes_back)
