#pragma once

#include <QList>
#include <QMap>
#include <QMetaType>
#include <QString>

namespace kelvane {

// One entry of the radio directory: a link to another directory page or a playable
// audio entry. A plain value, any thread. A null QString is an absent field (no
// attribute set it); the loader also stores fixed sentinels, see RadioLoader.
class Radio {
  public:
    static QString yes() { return QStringLiteral("yes"); }
    static QString no() { return QStringLiteral("no"); }

    QString radioName() const { return m_name; }
    void setName(const QString &name) { m_name = name; }
    // One-line description ("subtext"); audio entries only.
    QString radioDescription() const { return m_description; }
    void setDescription(const QString &description) { m_description = description; }
    // Page address for links, resolution address for audio entries.
    QString radioUrl() const { return m_url; }
    void setUrl(const QString &url) { m_url = url; }
    // Logo address; "null" for link entries, which have none.
    QString radioLogoUrl() const { return m_logoUrl; }
    void setImage(const QString &logoUrl) { m_logoUrl = logoUrl; }
    // "yes" for a link (error entries too), "no" for an audio entry.
    QString link() const { return m_link; }
    void isLink(const QString &link) { m_link = link; }

    bool operator==(const Radio &) const = default;

  private:
    QString m_name, m_description, m_url, m_logoUrl, m_link;
};

// What a grid item of the radio browser shows, five texts under the keys "name",
// "subtext", "url", "logo" and "isLink".
using DirectoryItem = QMap<QString, QString>;

// "name", "subtext" and "url" become "" when absent or empty, "logo" becomes "null";
// "isLink" is copied unchanged.
DirectoryItem directoryItem(const Radio &radio);
QList<DirectoryItem> directoryItems(const QList<Radio> &radios);

} // namespace kelvane

Q_DECLARE_METATYPE(kelvane::Radio)
