#include "core/commands/MPDCommand.h"

#include "core/mpd/MPDSocket.h"
#include "mpdc/Connection.h"

namespace kelvane {

namespace {
// A mode the user sets comes back at once with the status read after it.
template <class Change> void changeMode(Change change) {
    MPDSocket::sMPDSocket().send([change](mpdc::Connection &c) { change(c); });
}
} // namespace

void MPDCommand::setRandom(bool on) {
    changeMode([on](mpdc::Connection &c) { c.setRandom(on); });
}

void MPDCommand::setRepeat(bool on) {
    changeMode([on](mpdc::Connection &c) { c.setRepeat(on); });
}

void MPDCommand::setConsume(bool on) {
    changeMode([on](mpdc::Connection &c) { c.setConsume(on); });
}

void MPDCommand::setSingle(qint32 mode) {
    const mpdc::SingleMode single = mode == 2   ? mpdc::SingleMode::Oneshot
                                    : mode == 1 ? mpdc::SingleMode::On
                                                : mpdc::SingleMode::Off;
    changeMode([single](mpdc::Connection &c) { c.setSingle(single); });
}

void MPDCommand::setCrossfade(quint32 seconds) {
    changeMode([seconds](mpdc::Connection &c) { c.setCrossfade(seconds); });
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
        // The mode is not in the status: read back, then the status that carries it.
        MPDSocket::sMPDSocket().send(
            [value](mpdc::Connection &c) { return c.setReplayGainMode(value); },
            [](bool changed) {
                if (changed) MPDSocket::sMPDSocket().refreshReplayGain(MPDSocket::Refresh::Status);
            },
            MPDSocket::Refresh::None);
        return true;
    }
    return false;
}

void MPDCommand::setOutputEnabled(quint32 id, bool enabled) {
    MPDSocket::sMPDSocket().send(
        [id, enabled](mpdc::Connection &c) { return c.enableOutput(id, enabled); },
        [](bool changed) {
            if (changed) MPDSocket::sMPDSocket().refreshOutputs();
        },
        MPDSocket::Refresh::None);
}

} // namespace kelvane
