#!/usr/bin/env python3
"""A cover dragged from the album grid to the sidebar's "Lecture en cours": the drag rests
there until the queue opens under it, then lets go; the album is at the end of mpd's queue
and what was queued before is still first."""
import journey as j


def drag_a_cover_to_the_queue(world):
    display = j.Display(world, 1600, 1000)
    mpd = j.Mpd(world)
    mpd.command('add "Root Song.flac"')
    window = world.start_kelvane(display, mpd)
    left, top, width, height = display.client_rect(window)

    # The albums are the first view: their row is the highlighted one; "Lecture en
    # cours" is the row below it.
    albums = j.wait_for("the highlighted Albums row",
                        lambda: j.sidebar_highlight(display.shot(window)))
    row_height = albums[3] - albums[1] + 1
    # Near the row's right end: the drag's picture hangs to the left of the pointer and
    # must leave the row's left end, where the highlight is read, in sight.
    queue_row = (left + albums[2] - 12, top + (albums[1] + albums[3]) // 2 + row_height + 2)
    cover = j.wait_for("a cover in the grid",
                       lambda: j.first_cover(display.shot(window), albums[2] + 20, albums[1],
                                             height - 120))
    start = (left + cover[0] + 50, top + cover[1] + 50)
    j.log(f"cover at {start}, 'Lecture en cours' at {queue_row}")

    display.xdotool("mousemove", *start)
    display.xdotool("mousedown", 1)
    try:
        display.glide(start, (start[0] + 30, start[1] + 30), steps=10)  # the drag starts
        display.glide((start[0] + 30, start[1] + 30), queue_row)
        # Resting on the entry opens the queue: the highlight moves down to it.
        j.wait_for("the queue to open under the drag",
                   lambda: j.lit_at(display.shot(window), queue_row[1] - top))
        display.glide(queue_row, (queue_row[0] - 6, queue_row[1]), steps=3)
    finally:
        display.xdotool("mouseup", 1)

    def appended():
        files = mpd.queue_files()
        return files if len(files) > 1 else None

    files = j.wait_for("the album in mpd's queue", appended)
    if files[0] != "Root Song.flac":
        raise j.JourneyFailed(f"the queue's first song moved: {files}")
    # One album came, whole: the songs after the first share one album tag.
    albums_added = {entry.get("Album") for entry in mpd.queue()[1:]}
    if len(albums_added) != 1:
        raise j.JourneyFailed(f"not one album appended: {files}")
    j.log(f"appended {len(files) - 1} song(s) of {albums_added.pop()!r}")


if __name__ == "__main__":
    j.run("drag-to-queue", drag_a_cover_to_the_queue)
