// The connection's commands: exchanges whose answer is a bare "OK".
#include "mpdc/ConnectionImpl.h"

namespace kelvane::mpdc {

// One command: under the lock, on a usable connection, through the failure rule.
#define KELVANE_RUN(call)                                                                          \
    auto guard = lock();                                                                           \
    mpd_connection *c = handle();                                                                  \
    return c && ok(call)

// The same for commands with text arguments, which must be able to travel first.
#define KELVANE_RUN_TEXT(texts, call)                                                              \
    auto guard = lock();                                                                           \
    mpd_connection *c = handle();                                                                  \
    return c && acceptable(texts) && ok(call)

bool Connection::play() {
    KELVANE_RUN(mpd_run_play(c));
}
bool Connection::playPos(quint32 position) {
    KELVANE_RUN(mpd_run_play_pos(c, position));
}
bool Connection::togglePause() {
    KELVANE_RUN(mpd_run_toggle_pause(c));
}
bool Connection::stop() {
    KELVANE_RUN(mpd_run_stop(c));
}
bool Connection::next() {
    KELVANE_RUN(mpd_run_next(c));
}
bool Connection::previous() {
    KELVANE_RUN(mpd_run_previous(c));
}
bool Connection::seekCurrent(float seconds) {
    KELVANE_RUN(mpd_run_seek_current(c, seconds, false));
}
bool Connection::setVolume(quint32 volume) {
    KELVANE_RUN(mpd_run_set_volume(c, volume));
}

bool Connection::setRandom(bool on) {
    KELVANE_RUN(mpd_run_random(c, on));
}
bool Connection::setRepeat(bool on) {
    KELVANE_RUN(mpd_run_repeat(c, on));
}
bool Connection::setConsume(bool on) {
    KELVANE_RUN(mpd_run_consume(c, on));
}
bool Connection::setCrossfade(quint32 seconds) {
    KELVANE_RUN(mpd_run_crossfade(c, seconds));
}
bool Connection::setSingle(SingleMode mode) {
    const mpd_single_state state = mode == SingleMode::Oneshot ? MPD_SINGLE_ONESHOT
                                   : mode == SingleMode::On    ? MPD_SINGLE_ON
                                                               : MPD_SINGLE_OFF;
    KELVANE_RUN(mpd_run_single_state(c, state));
}
bool Connection::setReplayGainMode(ReplayGainMode mode) {
    const mpd_replay_gain_mode value = mode == ReplayGainMode::Track   ? MPD_REPLAY_TRACK
                                       : mode == ReplayGainMode::Album ? MPD_REPLAY_ALBUM
                                       : mode == ReplayGainMode::Auto  ? MPD_REPLAY_AUTO
                                                                       : MPD_REPLAY_OFF;
    KELVANE_RUN(mpd_run_replay_gain_mode(c, value));
}
bool Connection::enableOutput(quint32 id, bool enabled) {
    KELVANE_RUN(enabled ? mpd_run_enable_output(c, id) : mpd_run_disable_output(c, id));
}

bool Connection::add(const QString &uri) {
    KELVANE_RUN_TEXT({uri}, mpd_run_add(c, utf8(uri).constData()));
}
bool Connection::addAt(const QString &uri, quint32 position) {
    KELVANE_RUN_TEXT({uri},
                     mpd_run_add_whence(c, utf8(uri).constData(), position, MPD_POSITION_ABSOLUTE));
}
bool Connection::deletePos(quint32 position) {
    KELVANE_RUN(mpd_run_delete(c, position));
}
bool Connection::clear() {
    KELVANE_RUN(mpd_run_clear(c));
}
bool Connection::shuffle() {
    KELVANE_RUN(mpd_run_shuffle(c));
}
bool Connection::moveRange(quint32 start, quint32 end, quint32 to) {
    KELVANE_RUN(mpd_run_move_range(c, start, end, to));
}
bool Connection::save(const QString &name) {
    KELVANE_RUN_TEXT({name}, mpd_run_save(c, utf8(name).constData()));
}

bool Connection::playlistClear(const QString &name) {
    KELVANE_RUN_TEXT({name}, mpd_run_playlist_clear(c, utf8(name).constData()));
}
bool Connection::playlistAdd(const QString &name, const QString &uri) {
    KELVANE_RUN_TEXT((std::initializer_list<QStringView>{name, uri}),
                     mpd_run_playlist_add(c, utf8(name).constData(), utf8(uri).constData()));
}
bool Connection::playlistDelete(const QString &name, quint32 position) {
    KELVANE_RUN_TEXT({name}, mpd_run_playlist_delete(c, utf8(name).constData(), position));
}
bool Connection::rename(const QString &from, const QString &to) {
    KELVANE_RUN_TEXT((std::initializer_list<QStringView>{from, to}),
                     mpd_run_rename(c, utf8(from).constData(), utf8(to).constData()));
}
bool Connection::removePlaylist(const QString &name) {
    KELVANE_RUN_TEXT({name}, mpd_run_rm(c, utf8(name).constData()));
}

quint32 Connection::update(const QString &path) {
    auto guard = lock();
    mpd_connection *c = handle();
    if (!c || !acceptable({path})) return 0;
    const unsigned job = mpd_run_update(c, path.isEmpty() ? nullptr : utf8(path).constData());
    if (job == 0) afterFailure();
    return job;
}

#undef KELVANE_RUN_TEXT
#undef KELVANE_RUN

} // namespace kelvane::mpdc
