// Console commands of the music library, the queue, the stored playlists, the saved
// streams, the cover addresses and playback.
#include "console/Console.h"
#include "console/ConsoleArguments.h"
#include "console/ConsoleCommand.h"
#include "console/ConsoleLines.h"
#include "console/ConsoleWriter.h"
#include "core/commands/MPDCommand.h"
#include "core/library/CoverAddress.h"
#include "core/library/MPDAlbum.h"
#include "core/library/MPDPlayLists.h"
#include "core/library/MPDQueue.h"
#include "core/mpd/MPDServerError.h"
#include "core/streams/MPDStream.h"

namespace kelvane {

namespace {

QString number(qint64 value) {
    return QString::number(value);
}

using consolelines::invalid;
using consolelines::printSongs;

QString orEmpty(const QString &text) {
    return text.isNull() ? QString(QLatin1String("")) : text;
}

// --- Library ---

void albums(Console &, const QString &) {
    const auto list = MPDAlbum::sMPDAlbum().getAlbumsList();
    if (!list) {
        ConsoleWriter::absent();
        return;
    }
    for (const Album &album : *list)
        ConsoleWriter::line(consolelines::album(album));
    ConsoleWriter::end(list->size());
}

void content(Console &, const QString &path) {
    Album album;
    album.path = orEmpty(path);
    printSongs(MPDAlbum::sMPDAlbum().getAlbumContent(album));
}

void cover(Console &, const QString &path) {
    const auto text = [](const QUrl &url) {
        return url.isValid() ? url.toString(QUrl::FullyEncoded) : QString();
    };
    ConsoleWriter::line({QStringLiteral("cover"), text(CoverAddress::gridAddress(orEmpty(path))),
                         text(CoverAddress::largeAddress(orEmpty(path)))});
}

// --- Queue ---

void queue(Console &, const QString &) {
    printSongs(MPDQueue::sMPDQueue().getQueue());
}

void add(Console &, const QString &uri) {
    Song song;
    song.setFullPath(orEmpty(uri));
    MPDQueue::sMPDQueue().addToQueue({song});
}

void deletePositions(Console &, const QString &argument) {
    const auto positions = consoleargs::positions(argument);
    if (!positions) {
        invalid(QStringLiteral("delete"), argument);
        return;
    }
    MPDQueue::sMPDQueue().removeInQueue(*positions);
}

void save(Console &, const QString &name) {
    MPDQueue::sMPDQueue().saveQueueAtPlaylist(orEmpty(name));
}

// --- Stored playlists ---

void playlists(Console &, const QString &) {
    const auto names = MPDPlayLists::sMPDPlayLists().getPlaylists();
    if (!names) {
        ConsoleWriter::absent();
        return;
    }
    for (const QString &name : *names)
        ConsoleWriter::line({QStringLiteral("playlist"), name});
    ConsoleWriter::end(names->size());
}

void playlist(Console &, const QString &name) {
    printSongs(MPDPlayLists::sMPDPlayLists().getPlaylist(orEmpty(name)));
}

void newPlaylist(Console &, const QString &name) {
    MPDPlayLists::sMPDPlayLists().newPlaylist(orEmpty(name));
}

void renamePlaylist(Console &, const QString &argument) {
    const auto names = consoleargs::rename(argument);
    if (!names) {
        invalid(QStringLiteral("renameplaylist"), argument);
        return;
    }
    MPDPlayLists::sMPDPlayLists().renamePlaylist(names->first, names->second);
}

void removePlaylist(Console &, const QString &name) {
    MPDPlayLists::sMPDPlayLists().deletePlaylist(orEmpty(name));
}

// --- Saved streams ---

void streams(Console &, const QString &) {
    const auto list = MPDStream::sMPDStream().getStreamList();
    if (!list) {
        ConsoleWriter::absent();
        return;
    }
    for (const Stream &stream : *list)
        ConsoleWriter::line(
            {QStringLiteral("stream"), number(stream.position), stream.url, stream.name});
    ConsoleWriter::end(list->size());
}

void addStream(Console &, const QString &entry) {
    MPDStream::sMPDStream().addStream(orEmpty(entry));
}

void removeStream(Console &, const QString &argument) {
    const auto position = consoleargs::unsignedNumber(argument);
    if (!position) {
        invalid(QStringLiteral("rmstream"), argument);
        return;
    }
    MPDStream::sMPDStream().deleteStream(*position);
}

// --- Playback ---

MPDCommand &mpd() {
    return MPDCommand::sMPDCommand();
}

void play(Console &, const QString &) {
    mpd().play();
}
void stop(Console &, const QString &) {
    mpd().stop();
}
void next(Console &, const QString &) {
    mpd().next();
}
void previous(Console &, const QString &) {
    mpd().previous();
}
void update(Console &, const QString &) {
    mpd().updateDB();
}

void volume(Console &, const QString &argument) {
    const auto value = consoleargs::volume(argument);
    if (!value) {
        invalid(QStringLiteral("volume"), argument);
        return;
    }
    mpd().setVolume(*value);
}

void seek(Console &, const QString &argument) {
    const auto seconds = consoleargs::seconds(argument);
    if (!seconds) {
        invalid(QStringLiteral("seek"), argument);
        return;
    }
    mpd().seekPosition(*seconds);
}

void playPosition(Console &, const QString &argument) {
    const auto position = consoleargs::unsignedNumber(argument);
    if (!position) {
        invalid(QStringLiteral("playpos"), argument);
        return;
    }
    mpd().playQueuePosition(*position);
}

void playAlbum(Console &, const QString &argument) {
    const auto choice = consoleargs::albumChoice(argument);
    if (!choice) {
        invalid(QStringLiteral("playalbum"), argument);
        return;
    }
    mpd().playAlbum(choice->artist, choice->album,
                    choice->position.value_or(MPDCommand::noPosition));
}

void playStream(Console &, const QString &url) {
    mpd().playStream(orEmpty(url));
}

void playPlaylist(Console &, const QString &argument) {
    const auto chosen = consoleargs::playlistPosition(argument);
    if (!chosen) {
        invalid(QStringLiteral("playplaylist"), argument);
        return;
    }
    const auto &[name, position] = *chosen;
    // A missing playlist would read as an empty one: the queue would be cleared for it.
    const auto exists = MPDPlayLists::sMPDPlayLists().hasPlaylist(name);
    const auto songs =
        exists && *exists ? MPDPlayLists::sMPDPlayLists().getPlaylist(name) : std::nullopt;
    if (exists && !*exists) {
        MPDServerError::sMPDServerError().sendMessage(QString::fromLatin1(noSuchPlaylistMessage));
        return;
    }
    if (!songs) {
        ConsoleWriter::absent();
        return;
    }
    mpd().playPlaylist(*songs, position);
}

constexpr ConsoleCommand commands[] = {
    {QLatin1StringView("albums"), &albums},
    {QLatin1StringView("content"), &content},
    {QLatin1StringView("cover"), &cover},
    {QLatin1StringView("queue"), &queue},
    {QLatin1StringView("add"), &add},
    {QLatin1StringView("delete"), &deletePositions},
    {QLatin1StringView("save"), &save},
    {QLatin1StringView("playlists"), &playlists},
    {QLatin1StringView("playlist"), &playlist},
    {QLatin1StringView("newplaylist"), &newPlaylist},
    {QLatin1StringView("renameplaylist"), &renamePlaylist},
    {QLatin1StringView("rmplaylist"), &removePlaylist},
    {QLatin1StringView("streams"), &streams},
    {QLatin1StringView("addstream"), &addStream},
    {QLatin1StringView("rmstream"), &removeStream},
    {QLatin1StringView("play"), &play},
    {QLatin1StringView("stop"), &stop},
    {QLatin1StringView("next"), &next},
    {QLatin1StringView("previous"), &previous},
    {QLatin1StringView("volume"), &volume},
    {QLatin1StringView("seek"), &seek},
    {QLatin1StringView("playpos"), &playPosition},
    {QLatin1StringView("playalbum"), &playAlbum},
    {QLatin1StringView("playstream"), &playStream},
    {QLatin1StringView("playplaylist"), &playPlaylist},
    {QLatin1StringView("update"), &update},
};

} // namespace

std::span<const ConsoleCommand> libraryCommands() {
    return commands;
}

} // namespace kelvane
