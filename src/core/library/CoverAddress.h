#pragma once

// CoverAddress — the web address of an album's "cover.jpg".
//   gridAddress(path)   "http://" + (HTTP setting, else host) + "/" + (PHP setting + "/")
//                       + the encoded "path/cover.jpg"; with the PHP prefix every "&" of
//                       the encoded path becomes "%26"
//   largeAddress(path)  "http://127.0.0.1/" + the encoded "path/cover.jpg"
//   gridAddress(path, server, argsPHP)  the same rule with explicit settings
//   encodePath(text)    UTF-8 bytes percent-encoded except letters, digits and
//                       ! $ & ' ( ) * + , - . / : = @ _ ~
// Both answer an invalid QUrl when the text does not parse. Thread: GUI for the forms
// that read the settings, any for the others.
#include <QString>
#include <QUrl>
#include <optional>

namespace kelvane {

class CoverAddress {
  public:
    static QUrl gridAddress(const QString &albumPath);
    static QUrl gridAddress(const QString &albumPath, const QString &server,
                            const std::optional<QString> &argsPHP);
    static QUrl largeAddress(const QString &albumPath);

    static QString gridText(const QString &albumPath, const QString &server,
                            const std::optional<QString> &argsPHP);
    static QString largeText(const QString &albumPath);
    static QString encodePath(const QString &text);
    static QString picturePath(const QString &albumPath);
};

} // namespace kelvane
