#include "core/radio/RadioLoader.h"

#include "core/net/HttpFetch.h"
#include "core/settings/Setting.h"

#include <QUrl>

namespace kelvane {

namespace {

struct Document {
    QString text;         // null when the fetch failed or the body is not UTF-8
    bool success = false; // HTTP 2xx
};

Document fetchDocument(const QString &address) {
    const FetchResult result = HttpFetch::get(QUrl(address, QUrl::TolerantMode));
    if (!result.answered()) return {};
    return {HttpFetch::decodeUtf8(result.body), result.success()};
}

Radio linkEntry(const QString &name, const QString &url) {
    Radio radio;
    radio.isLink(Radio::yes());
    radio.setUrl(url);
    radio.setName(name);
    return radio;
}

} // namespace

RadioLoader &RadioLoader::sRadioLoader() {
    static RadioLoader loader;
    return loader;
}

QString RadioLoader::defaultBase() {
    return Setting::sSetting().radioBase();
}

QString RadioLoader::searchAddress(const QString &base, const QString &text) {
    // Every reserved character is encoded, so "&", "#", "+" or "=" in what the user
    // typed stays part of the query value instead of splitting or ending it.
    return base + QStringLiteral("Search.ashx?query=") +
           QString::fromLatin1(QUrl::toPercentEncoding(text));
}

RadioPage RadioLoader::loadIndex(const QString &base) const {
    const Document document = fetchDocument(base);
    RadioPage page{radioList(document.text), false};
    page.complete = document.success && !document.text.isEmpty() &&
                    !document.text.contains(forbidden()) && regimeSec(document.text).has_value();
    return page;
}

RadioPage RadioLoader::loadPage(const QString &address) const {
    const Document document = fetchDocument(address);
    if (document.text.isEmpty() || document.text.contains(forbidden()))
        return {{linkEntry(forbidden(), QStringLiteral("http://127.0.0.1"))}, false};
    return {tri(document.text), document.success && regimeSec(document.text).has_value()};
}

QList<Radio> RadioLoader::getIndex(const QString &base) const {
    return loadIndex(base).radios;
}

QList<Radio> RadioLoader::getListOf(const QString &address) const {
    return loadPage(address).radios;
}

QList<Radio> RadioLoader::search(const QString &text, const QString &base) const {
    return radioList(fetchDocument(searchAddress(base, text)).text);
}

QList<Radio> RadioLoader::radioList(const QString &document) const {
    if (document.isEmpty() || document.contains(forbidden())) return {error(document)};
    return tri(document);
}

Radio RadioLoader::error(const QString &document) const {
    const bool refused = document.size() > 1 || document.contains(forbidden());
    return linkEntry(refused ? forbidden() : connectionError(), QStringLiteral("0"));
}

} // namespace kelvane
