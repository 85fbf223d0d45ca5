#include "ui/views/library/LibraryText.h"

#include <QCoreApplication>
#include <algorithm>

namespace kelvane::librarytext {

QString timeText(float seconds) {
    const qint64 whole = seconds > 0 ? qint64(seconds) : 0;
    return QString::asprintf("%2d:%02d", int(whole / 60), int(whole % 60));
}

QString trackText(qint32 disc, qint32 track) {
    if (disc != 0) return QString::number(disc) + bulletSeparator() + QString::number(track);
    return QString::number(track);
}

QString totalTimeText(double seconds) {
    const int hours = int(seconds / 3600);
    const int minutes = int(seconds / 60) % 60;
    if (hours > 0 && minutes > 0)
        return QCoreApplication::translate("kelvane::librarytext", "%1h %2mn")
            .arg(hours)
            .arg(minutes);
    if (hours > 0) return QCoreApplication::translate("kelvane::librarytext", "%1h").arg(hours);
    return QCoreApplication::translate("kelvane::librarytext", "%1mn").arg(minutes);
}

QString genreAndYearText(const QString &genre, qint32 year) {
    return genre + bulletSeparator() + QString::number(year);
}

QString badgeName(const Song &firstSong) {
    // DSD files carry 1 as their bit width, so the format test comes first.
    const QString extension = firstSong.extension();
    if (extension == QLatin1String("dsf") || extension == QLatin1String("dff"))
        return QStringLiteral("dsd");
    if (firstSong.bits() > 16) return QStringLiteral("hires");
    return {};
}

QSize popoverSize(qsizetype songCount) {
    const qint64 height = std::min<qint64>(19 * qint64(songCount) + 118, 470);
    return {580, int(height)};
}

QString displayName(const QString &text) {
    return text.isNull() ? QCoreApplication::translate("kelvane::librarytext", "inconnu") : text;
}

} // namespace kelvane::librarytext
