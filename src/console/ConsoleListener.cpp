#include "console/ConsoleListener.h"

#include "console/ConsoleWriter.h"
#include "core/mpd/MPDCache.h"
#include "core/mpd/MPDServerError.h"

namespace kelvane {

namespace {
QString num(qint64 n) {
    return QString::number(n);
}
} // namespace

ConsoleListener::ConsoleListener() {
    // The error listener comes first, so the first connection attempt can report.
    MPDServerError::sMPDServerError().setDelegate(this);
    MPDCache &cache = MPDCache::sMPDCache();
    cache.setDelegate(this);
    cache.setDelegateQueue(this);
    cache.setDelegateAlbum(this);
    cache.setDelegateStream(this);
    cache.setDelegateRadio(this);
}

ConsoleListener::~ConsoleListener() {
    MPDServerError::sMPDServerError().release(this);
    MPDCache::sMPDCache().release(this);
}

void ConsoleListener::onProgressChange(const MPDStatus &s) {
    ConsoleWriter::line({QStringLiteral("progress"), num(s.elapsedTime), num(s.totalTime)});
}

void ConsoleListener::onAlbumUpdateTrigger(const QString &text) {
    ConsoleWriter::line({QStringLiteral("album-update"), text});
}

void ConsoleListener::onStateChange(qint32 state) {
    ConsoleWriter::line({QStringLiteral("state"), num(state)});
}

void ConsoleListener::onTrackChange(const MPDStatus &s) {
    ConsoleWriter::line(
        {QStringLiteral("track"), num(s.titlePosition), s.album, s.title, s.artist, s.path});
}

void ConsoleListener::onVolumeChange(quint32 volume) {
    ConsoleWriter::line({QStringLiteral("volume"), num(volume)});
}

void ConsoleListener::onStateChange(qint32 state, qint32 position) {
    ConsoleWriter::line({QStringLiteral("queue-state"), num(state), num(position)});
}

void ConsoleListener::onTrackChange(qint32 position) {
    ConsoleWriter::line({QStringLiteral("queue-track"), num(position)});
}

void ConsoleListener::onDbUpdate() {
    ConsoleWriter::line({QStringLiteral("db-update")});
}

void ConsoleListener::onStreamChange() {
    ConsoleWriter::line({QStringLiteral("stream-change")});
}

void ConsoleListener::onRadioLinkClick(const Radio &) {
    ConsoleWriter::line({QStringLiteral("radio-link")});
}

void ConsoleListener::onError(const MPDError &error) {
    ConsoleWriter::line({QStringLiteral("error"), error.error, error.errorDescription});
}

} // namespace kelvane
