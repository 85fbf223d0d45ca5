#include "ui/views/radio/StreamListing.h"

#include "core/model/TextFold.h"
#include "ui/base/InputCheck.h"

#include <algorithm>

namespace kelvane::StreamListing {

QList<Stream> sortList(QList<Stream> streams) {
    return textfold::sortedForOrder(
        std::move(streams), [](const Stream &stream) -> const QString & { return stream.name; });
}

QList<qint32> positionsForAddresses(const QStringList &chosenUrls, const QList<Stream> &current) {
    QList<qint32> positions;
    for (const QString &url : chosenUrls) {
        for (const Stream &stream : current) {
            if (stream.url == url && !positions.contains(stream.position))
                positions.append(stream.position);
        }
    }
    std::sort(positions.begin(), positions.end());
    return positions;
}

QList<quint32> deletionSequence(QList<qint32> positions) {
    std::sort(positions.begin(), positions.end());
    positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
    QList<quint32> sent;
    for (qsizetype k = 0; k < positions.size(); ++k) {
        if (positions[k] >= 0) sent.append(quint32(positions[k] - sent.size()));
    }
    return sent;
}

InputCheck checkInput(const QString &name, const QString &url) {
    InputCheck check;
    check.nameOk = !name.isEmpty() && !inputcheck::hasControlCharacters(name);
    check.urlOk = url.size() > 7 && url.startsWith(QLatin1String("http")) &&
                  !inputcheck::hasControlCharacters(url);
    return check;
}

} // namespace kelvane::StreamListing
