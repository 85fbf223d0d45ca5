#include "core/library/MPDAlbum.h"

#include "core/model/TextFold.h"

#include <algorithm>
#include <numeric>

namespace kelvane {

QString MPDAlbum::formatName(const QString &name) {
    if (name.startsWith(QLatin1String("The "))) return name.mid(4);
    return name;
}

namespace {
// The artist as the grid orders it: without a leading "The ", and its sort key (accents
// and case folded), worked out once per album rather than once per comparison.
struct ArtistKey {
    QString name;
    QString key;
    explicit ArtistKey(const QString &artist)
        : name(MPDAlbum::formatName(artist)), key(textfold::sortKey(name)) {}
};

bool albumLessByKeys(const Album &a, const ArtistKey &keyA, const Album &b, const ArtistKey &keyB) {
    const QString &artistA = keyA.name;
    const QString &artistB = keyB.name;
    // Albums without an artist come first, together.
    if (artistA.isNull() != artistB.isNull()) return artistA.isNull();
    if (artistA != artistB) {
        // "Éléonore" among the E, "Ærøskøbing" among the A: accents and case aside.
        if (const int order = keyA.key.compare(keyB.key)) return order < 0;
        // Equal under the key: as before keys existed, case-insensitively...
        if (const int order = QString::compare(artistA, artistB, Qt::CaseInsensitive))
            return order < 0;
        // ...and artists equal but for case ("ABBA", "Abba") stay apart, each with its
        // own albums in date order: ordering them as equal while the dates order each
        // one's albums would not be a consistent order, and sorting needs one.
        return QString::compare(artistA, artistB, Qt::CaseSensitive) < 0;
    }
    if (a.date != b.date) {
        // Dates as decimal text: numeric for four-digit years; an album without a date
        // (0) comes before every year.
        return QString::compare(QString::number(a.date), QString::number(b.date),
                                Qt::CaseInsensitive) < 0;
    }
    return QString::compare(a.path, b.path, Qt::CaseInsensitive) < 0;
}
} // namespace

bool MPDAlbum::albumLess(const Album &a, const Album &b) {
    return albumLessByKeys(a, ArtistKey(a.artist), b, ArtistKey(b.artist));
}

QList<Album> MPDAlbum::sortAlbum(QList<Album> albums) {
    std::vector<ArtistKey> keys;
    keys.reserve(size_t(albums.size()));
    for (const Album &album : albums)
        keys.emplace_back(album.artist);
    std::vector<qsizetype> order(size_t(albums.size()));
    std::iota(order.begin(), order.end(), qsizetype(0));
    std::stable_sort(order.begin(), order.end(), [&](qsizetype i, qsizetype j) {
        return albumLessByKeys(albums[i], keys[size_t(i)], albums[j], keys[size_t(j)]);
    });
    QList<Album> sorted;
    sorted.reserve(albums.size());
    for (qsizetype i : order)
        sorted.append(std::move(albums[i]));
    return sorted;
}

QStringList MPDAlbum::sortList(QStringList names) {
    // Names equal under the key keep the order they came in.
    return textfold::sortedForOrder(std::move(names),
                                    [](const QString &name) -> const QString & { return name; });
}

} // namespace kelvane
