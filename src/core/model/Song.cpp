#include "core/model/Song.h"

#include <limits>

namespace kelvane {

QString Song::readRule(const QString &stored) {
    if (stored.isEmpty() || stored == QLatin1String("(null)")) return QString(QLatin1String(""));
    return stored;
}

qint32 Song::integerValue(const QString &tag) {
    qsizetype i = 0;
    while (i < tag.size() && (tag[i] == QLatin1Char(' ') || tag[i] == QLatin1Char('\t') ||
                              tag[i] == QLatin1Char('\n') || tag[i] == QLatin1Char('\r') ||
                              tag[i] == QLatin1Char('\v') || tag[i] == QLatin1Char('\f')))
        ++i;
    bool negative = false;
    if (i < tag.size() && (tag[i] == QLatin1Char('+') || tag[i] == QLatin1Char('-')))
        negative = tag[i++] == QLatin1Char('-');
    qint64 value = 0;
    constexpr qint64 limit = qint64(std::numeric_limits<qint32>::max()) + 1;
    for (; i < tag.size() && tag[i] >= QLatin1Char('0') && tag[i] <= QLatin1Char('9'); ++i)
        value = std::min(value * 10 + (tag[i].unicode() - '0'), limit);
    if (negative) return qint32(-value);
    return qint32(std::min<qint64>(value, std::numeric_limits<qint32>::max()));
}

} // namespace kelvane
