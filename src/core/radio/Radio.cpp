#include "core/radio/Radio.h"

namespace kelvane {

namespace {
QString orDefault(const QString &value, const QString &fallback) {
    return value.isEmpty() ? fallback : value;
}
} // namespace

DirectoryItem directoryItem(const Radio &radio) {
    const QString empty = QStringLiteral("");
    return {
        {QStringLiteral("name"), orDefault(radio.radioName(), empty)},
        {QStringLiteral("subtext"), orDefault(radio.radioDescription(), empty)},
        {QStringLiteral("url"), orDefault(radio.radioUrl(), empty)},
        {QStringLiteral("logo"), orDefault(radio.radioLogoUrl(), QStringLiteral("null"))},
        {QStringLiteral("isLink"), radio.link()},
    };
}

QList<DirectoryItem> directoryItems(const QList<Radio> &radios) {
    QList<DirectoryItem> items;
    items.reserve(radios.size());
    for (const Radio &radio : radios)
        items << directoryItem(radio);
    return items;
}

} // namespace kelvane
