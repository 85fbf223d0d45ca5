#include "core/commands/MPDCommand.h"

#include "core/mpd/MPDCache.h"
#include "core/mpd/MPDSocket.h"
#include "mpdc/Connection.h"

namespace kelvane {

namespace {
mpdc::Connection *usableConnection() {
    MPDSocket &socket = MPDSocket::sMPDSocket();
    return socket.isConnected() ? socket.getConnection() : nullptr;
}

// A mode the user just set shows at once rather than at the next tick.
template <class Change> void changeMode(Change change) {
    mpdc::Connection *connection = usableConnection();
    if (!connection || !change(*connection)) return;
    MPDSocket::sMPDSocket().refreshStatus();
}
} // namespace

void MPDCommand::setRandom(bool on) {
    changeMode([on](mpdc::Connection &c) { return c.setRandom(on); });
}

void MPDCommand::setRepeat(bool on) {
    changeMode([on](mpdc::Connection &c) { return c.setRepeat(on); });
}

void MPDCommand::setConsume(bool on) {
    changeMode([on](mpdc::Connection &c) { return c.setConsume(on); });
}

void MPDCommand::setSingle(qint32 mode) {
    const mpdc::SingleMode single = mode == 2   ? mpdc::SingleMode::Oneshot
                                    : mode == 1 ? mpdc::SingleMode::On
                                                : mpdc::SingleMode::Off;
    changeMode([single](mpdc::Connection &c) { return c.setSingle(single); });
}

void MPDCommand::setCrossfade(quint32 seconds) {
    changeMode([seconds](mpdc::Connection &c) { return c.setCrossfade(seconds); });
}

bool MPDCommand::setReplayGain(const QString &mode) {
    static const std::pair<const char *, mpdc::ReplayGainMode> modes[] = {
        {"off", mpdc::ReplayGainMode::Off},
        {"track", mpdc::ReplayGainMode::Track},
        {"album", mpdc::ReplayGainMode::Album},
        {"auto", mpdc::ReplayGainMode::Auto},
    };
    for (const auto &entry : modes) {
        if (mode != QLatin1String(entry.first)) continue;
        const mpdc::ReplayGainMode value =
            entry.second; // a binding cannot be captured before clang 16
        changeMode([value](mpdc::Connection &c) {
            if (!c.setReplayGainMode(value)) return false;
            MPDSocket::sMPDSocket().refreshReplayGain();
            return true;
        });
        return true;
    }
    return false;
}

void MPDCommand::setOutputEnabled(quint32 id, bool enabled) {
    mpdc::Connection *connection = usableConnection();
    if (connection && connection->enableOutput(id, enabled))
        MPDSocket::sMPDSocket().refreshOutputs();
}

} // namespace kelvane
