#include "core/library/MPDAlbum.h"

#include <algorithm>

namespace kelvane {

QString MPDAlbum::formatName(const QString &name) {
    if (name.startsWith(QLatin1String("The "))) return name.mid(4);
    return name;
}

bool MPDAlbum::albumLess(const Album &a, const Album &b) {
    const QString artistA = formatName(a.artist);
    const QString artistB = formatName(b.artist);
    // Albums without an artist come first, together.
    if (artistA.isNull() != artistB.isNull()) return artistA.isNull();
    if (artistA != artistB) {
        if (const int order = QString::compare(artistA, artistB, Qt::CaseInsensitive))
            return order < 0;
        // Artists equal but for case ("ABBA", "Abba") stay apart, each with its own
        // albums in date order: ordering them as equal while the dates order each one's
        // albums would not be a consistent order, and sorting needs one.
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

QList<Album> MPDAlbum::sortAlbum(QList<Album> albums) {
    std::stable_sort(albums.begin(), albums.end(), &MPDAlbum::albumLess);
    return albums;
}

QStringList MPDAlbum::sortList(QStringList names) {
    std::stable_sort(names.begin(), names.end(), [](const QString &a, const QString &b) {
        return QString::compare(a, b, Qt::CaseInsensitive) < 0;
    });
    return names;
}

} // namespace kelvane
