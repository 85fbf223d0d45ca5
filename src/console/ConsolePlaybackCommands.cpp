// Console commands of the playback modes, the audio outputs, queue editing and library
// search.
#include "console/Console.h"
#include "console/ConsoleArguments.h"
#include "console/ConsoleCommand.h"
#include "console/ConsoleLines.h"
#include "console/ConsoleWait.h"
#include "console/ConsoleWriter.h"
#include "core/commands/MPDCommand.h"
#include "core/library/AlbumFilter.h"
#include "core/library/MPDAlbum.h"
#include "core/library/MPDQueue.h"
#include "core/mpd/MPDCache.h"
#include "core/mpd/MPDSocket.h"

namespace kelvane {

namespace {

using consolelines::invalid;

MPDCommand &mpd() {
    return MPDCommand::sMPDCommand();
}

template <class Set> void toggle(const char *name, const QString &argument, Set set) {
    if (const auto on = consoleargs::flag(argument))
        set(*on);
    else
        invalid(QString::fromLatin1(name), argument);
}

void random(Console &, const QString &a) {
    toggle("random", a, [](bool on) { mpd().setRandom(on); });
}
void repeat(Console &, const QString &a) {
    toggle("repeat", a, [](bool on) { mpd().setRepeat(on); });
}
void consume(Console &, const QString &a) {
    toggle("consume", a, [](bool on) { mpd().setConsume(on); });
}

void single(Console &, const QString &argument) {
    if (const auto mode = consoleargs::single(argument))
        mpd().setSingle(*mode);
    else
        invalid(QStringLiteral("single"), argument);
}

void crossfade(Console &, const QString &argument) {
    if (const auto seconds = consoleargs::crossfade(argument))
        mpd().setCrossfade(*seconds);
    else
        invalid(QStringLiteral("crossfade"), argument);
}

void replaygain(Console &, const QString &argument) {
    const auto mode = consoleargs::replayGain(argument);
    if (!mode || !mpd().setReplayGain(*mode)) invalid(QStringLiteral("replaygain"), argument);
}

void outputs(Console &, const QString &) {
    MPDSocket &socket = MPDSocket::sMPDSocket();
    if (!socket.isConnected()) {
        ConsoleWriter::absent();
        return;
    }
    // Read on the command thread; the console may wait for it (it has no window).
    bool read = false;
    socket.refreshOutputs([&read] { read = true; });
    deliverUntil([&read] { return read; }, QEvent::MetaCall, QCoreApplication::instance());
    const QList<AudioOutput> list = socket.outputs().value_or(QList<AudioOutput>());
    for (const AudioOutput &o : list)
        ConsoleWriter::line({QStringLiteral("output"), QString::number(o.id), o.name,
                             o.enabled ? QStringLiteral("1") : QStringLiteral("0"), o.plugin});
    ConsoleWriter::end(list.size());
}

void output(Console &, const QString &argument) {
    const auto output = consoleargs::output(argument);
    if (!output) {
        invalid(QStringLiteral("output"), argument);
        return;
    }
    mpd().setOutputEnabled(output->id, output->enabled);
}

void move(Console &, const QString &argument) {
    const auto fromTo = consoleargs::move(argument);
    if (!fromTo) {
        invalid(QStringLiteral("move"), argument);
        return;
    }
    // The entry at FROM ends at position TO, as the server's "move" puts it.
    const auto [from, to] = *fromTo;
    MPDQueue::sMPDQueue().moveRows({from}, to > from ? to + 1 : to);
}

void clear(Console &, const QString &) {
    MPDQueue::sMPDQueue().clearQueue();
}
void shuffle(Console &, const QString &) {
    MPDQueue::sMPDQueue().shuffleQueue();
}

void playnext(Console &, const QString &argument) {
    const auto row = consoleargs::position(argument);
    if (!row) {
        invalid(QStringLiteral("playnext"), argument);
        return;
    }
    MPDQueue::sMPDQueue().playNext({*row});
}

void search(Console &, const QString &text) {
    // The albums the grid would show for this text: its list, its filter.
    MPDCache &cache = MPDCache::sMPDCache();
    std::optional<QList<Album>> albums = cache.getCurrentAlbumList();
    if (!albums) {
        albums = MPDAlbum::sMPDAlbum().getAlbumsList();
        if (albums) cache.setCurrentAlbumList(albums);
    }
    if (!albums) {
        ConsoleWriter::absent();
        return;
    }
    AlbumFilter filter;
    filter.setAlbums(*albums);
    const QList<qsizetype> rows = filter.matching(text);
    for (qsizetype row : rows)
        ConsoleWriter::line(consolelines::album((*albums)[row]));
    ConsoleWriter::end(rows.size());
}

void findsongs(Console &, const QString &text) {
    if (text.trimmed().isEmpty()) {
        invalid(QStringLiteral("findsongs"), text);
        return;
    }
    const auto found = MPDAlbum::sMPDAlbum().searchSongs(text.trimmed());
    consolelines::printSongs(found ? std::optional<QList<Song>>(found->songs) : std::nullopt);
}

constexpr ConsoleCommand commands[] = {
    {QLatin1StringView("random"), &random},       {QLatin1StringView("repeat"), &repeat},
    {QLatin1StringView("single"), &single},       {QLatin1StringView("consume"), &consume},
    {QLatin1StringView("crossfade"), &crossfade}, {QLatin1StringView("replaygain"), &replaygain},
    {QLatin1StringView("outputs"), &outputs},     {QLatin1StringView("output"), &output},
    {QLatin1StringView("move"), &move},           {QLatin1StringView("clear"), &clear},
    {QLatin1StringView("shuffle"), &shuffle},     {QLatin1StringView("playnext"), &playnext},
    {QLatin1StringView("search"), &search},       {QLatin1StringView("findsongs"), &findsongs},
};

} // namespace

std::span<const ConsoleCommand> playbackCommands() {
    return commands;
}

} // namespace kelvane
