// The connection's idle exchange: a request that the server answers only when something
// changed. Used on a connection of its own, whose socket the caller watches.
#include "mpdc/ConnectionImpl.h"

namespace kelvane::mpdc {

namespace {
constexpr std::pair<unsigned, mpd_idle> idleBits[] = {
    {Idle::Database, MPD_IDLE_DATABASE}, {Idle::StoredPlaylist, MPD_IDLE_STORED_PLAYLIST},
    {Idle::Queue, MPD_IDLE_QUEUE},       {Idle::Player, MPD_IDLE_PLAYER},
    {Idle::Mixer, MPD_IDLE_MIXER},       {Idle::Output, MPD_IDLE_OUTPUT},
    {Idle::Options, MPD_IDLE_OPTIONS},   {Idle::Update, MPD_IDLE_UPDATE},
};
} // namespace

bool Connection::sendIdle(unsigned events) {
    auto guard = lock();
    mpd_connection *c = handle();
    unsigned mask = 0;
    for (const auto &[ours, theirs] : idleBits)
        if (events & ours) mask |= theirs;
    return c && ok(mpd_send_idle_mask(c, mpd_idle(mask)));
}

std::optional<unsigned> Connection::receiveIdle() {
    auto guard = lock();
    mpd_connection *c = handle();
    if (!c) return std::nullopt;
    // Called once the socket is readable: the answer is there, and the time-out bounds
    // a server that sent only part of it.
    const unsigned mask = mpd_recv_idle(c, false);
    if (mask == 0 && mpd_connection_get_error(c) != MPD_ERROR_SUCCESS) {
        afterFailure();
        return std::nullopt;
    }
    unsigned events = 0;
    for (const auto &[ours, theirs] : idleBits)
        if (mask & theirs) events |= ours;
    return events;
}

} // namespace kelvane::mpdc
