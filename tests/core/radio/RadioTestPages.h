#pragma once

#include <QByteArray>
#include <QString>

namespace kelvane::test {

// A directory answer reporting success around the given outline lines.
inline QByteArray opmlPage(const QString &title, const QString &outlines) {
    return (QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<opml "
                           "version=\"1\">\n<head>\n<title>") +
            title + QStringLiteral("</title>\n<status>200</status>\n</head>\n<body>\n") + outlines +
            QStringLiteral("</body>\n</opml>\n"))
        .toUtf8();
}

inline QString linkOutline(const QString &name, const QString &url) {
    return QStringLiteral("<outline type=\"link\" text=\"%1\" URL=\"%2\" key=\"k\"/>\n")
        .arg(name, url);
}

inline QString audioOutline(const QString &name, const QString &url) {
    return QStringLiteral("<outline type=\"audio\" text=\"%1\" URL=\"%2\" subtext=\"On air\" "
                          "item=\"station\"/>\n")
        .arg(name, url);
}

inline const QByteArray forbiddenPage =
    "<html><head><title>403 - Forbidden: Access is denied.</title></head>\n"
    "<body><h2>403 - Forbidden: Access is denied.</h2></body></html>\n";

} // namespace kelvane::test
