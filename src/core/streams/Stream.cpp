#include "core/streams/Stream.h"

namespace kelvane {

Stream Stream::fromEntry(const QString &entry, qint32 position) {
    Stream stream;
    stream.position = position;
    const qsizetype hash = entry.indexOf(QLatin1Char('#'));
    if (hash < 0) {
        // Written by another client: the whole text is the address, and the address is
        // the best name there is.
        stream.url = entry;
        stream.name = entry;
        return stream;
    }
    stream.url = entry.left(hash);
    stream.name = entry.mid(hash + 1);
    return stream;
}

QString Stream::entryText(const QString &url, const QString &name) {
    return url + QLatin1Char('#') + name;
}

} // namespace kelvane
