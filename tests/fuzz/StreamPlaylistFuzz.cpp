// Stream resolution: the first line of a directory answer, the dispatch on its
// extension, and the PLS, M3U and ASX readers. The input holds the two bodies the
// resolver would fetch, split at the first NUL byte.
#include "FuzzInput.h"

#include "core/radio/StreamPlaylist.h"
#include "core/radio/StreamResolver.h"

using namespace kelvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QByteArray input = fuzz::bytes(data, size);
    const qsizetype nul = input.indexOf('\0');
    const QString first = QString::fromUtf8(nul < 0 ? input : input.left(nul));
    const QString second = nul < 0 ? QString() : QString::fromUtf8(input.mid(nul + 1));

    // Each reader on each body, alone.
    for (const QString &body : {first, second}) {
        const QString line = StreamPlaylist::firstLine(body);
        fuzz::check(!line.contains(QLatin1Char('\n')), "first line holds a line feed");
        (void)StreamPlaylist::kindOf(line);
        (void)StreamPlaylist::pathExtension(line);
        for (const QString &found : {StreamPlaylist::fromPLS(body), StreamPlaylist::fromM3U(body),
                                     StreamPlaylist::fromASX(body)}) {
            if (found.isNull()) continue;
            fuzz::check(!found.contains(QLatin1Char('\n')), "an address spans lines");
            fuzz::check(StreamPlaylist::addressStart(found) >= 0, "an address without http");
        }
    }

    // The dispatch: the first fetch answers the first body, the playlist fetch the second.
    int fetches = 0;
    const QString resolved =
        StreamResolver::resolveWith(QStringLiteral("http://127.0.0.1/entry"), [&](const QString &) {
            return ++fetches == 1 ? first : second;
        });
    fuzz::check(fetches <= 2, "more than one playlist level fetched");
    fuzz::check(!resolved.contains(QLatin1Char('\n')), "a resolved address spans lines");
    (void)StreamPlaylist::isPlayable(resolved);
    return 0;
}
