#include "console/ConsoleLines.h"

#include "console/ConsoleWriter.h"

namespace kelvane::consolelines {

namespace {
QString number(qint64 value) {
    return QString::number(value);
}
} // namespace

QStringList album(const Album &album) {
    return {QStringLiteral("album"), album.artist, album.albumName, album.path,
            number(album.date),      album.genre};
}

QStringList song(const Song &song) {
    return {QStringLiteral("song"),
            number(song.track()),
            number(song.diskNb()),
            number(song.date()),
            QString::number(song.duration()),
            number(song.bits()),
            song.artist(),
            song.albumArtist(),
            song.composer(),
            song.album(),
            song.title(),
            song.genre(),
            song.extension(),
            song.fullPath()};
}

void printSongs(const std::optional<QList<Song>> &songs) {
    if (!songs) {
        ConsoleWriter::absent();
        return;
    }
    for (const Song &s : *songs)
        ConsoleWriter::line(song(s));
    ConsoleWriter::end(songs->size());
}

void invalid(const QString &command, const QString &argument) {
    ConsoleWriter::line({QStringLiteral("invalid"), command + QLatin1Char(' ') + argument});
}

} // namespace kelvane::consolelines
