#pragma once

#include "core/radio/Radio.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace kelvane {

// One directory page as loaded: its entries, and whether it is a good page worth
// keeping (fetched, HTTP 2xx, not refused, reporting "<status>200</status>").
// Error entries and failed answers are shown but never kept, so a later visit retries.
struct RadioPage {
    QList<Radio> radios;
    bool complete = false;
};

// Reads the online radio directory (OPML over HTTP). The documents are scraped as
// text, line by line, with fixed markers: an element's text attribute is only read
// when another attribute comes before it, "&amp;" is restored document-wide before
// names are decoded, and failures become link entries (sentinels below).
// Stateless; every operation is safe on any thread, but the fetching ones block up
// to the fetch time-out (15 s, 4 MiB cap) and belong on a worker thread.
//
// Sentinels: link entries carry logo "null"; URL="" gives address "null0"; an empty
// name gives "null1"; a failed root page or search gives one link entry "Erreur de
// connexion" (or "403 - Forbidden: Access is denied" when the service refused) at
// address "0"; a failed page fetched by address gives one link entry "403 - Forbidden:
// Access is denied" at "http://127.0.0.1". A document without "<status>200</status>"
// gives an empty list.
class RadioLoader {
  public:
    static RadioLoader &sRadioLoader();

    // The base address comes from Setting::radioBase(); read it on the GUI thread and
    // pass it in when loading from a worker.
    static QString defaultBase();
    // base + "Search.ashx?query=" + the whole text percent-encoded as a query value.
    static QString searchAddress(const QString &base, const QString &text);

    QList<Radio> getIndex(const QString &base = defaultBase()) const;
    QList<Radio> getListOf(const QString &address) const;
    QList<Radio> search(const QString &text, const QString &base = defaultBase()) const;
    // Same loads, telling also whether the page may be kept.
    RadioPage loadIndex(const QString &base) const;
    RadioPage loadPage(const QString &address) const;

    // Pure text side.
    QList<Radio> radioList(const QString &document) const;
    QList<Radio> tri(const QString &document) const;
    std::optional<QStringList> regimeSec(const QString &document) const;
    Radio moulinetteLien(const QString &line) const;
    Radio moulinetteNode(const QString &line) const;
    QStringList decoupe(const QString &line) const;
    // Attribute values: the text after the opening marker up to the next double quote;
    // a piece without the opening marker or the closing quote gives null (absent).
    QString getUrl(const QString &piece) const;
    QString getText(const QString &piece) const;
    QString getSubText(const QString &piece) const;
    QString getImage(const QString &piece) const;
    Radio error(const QString &document) const;

    static QString forbidden() { return QStringLiteral("403 - Forbidden: Access is denied"); }
    static QString connectionError() { return QStringLiteral("Erreur de connexion"); }

  private:
    RadioLoader() = default;
};

} // namespace kelvane
