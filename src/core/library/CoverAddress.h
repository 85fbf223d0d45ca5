#pragma once

// The web address of an album's "cover.jpg", for setups where a web server next to mpd
// serves the music directory (optionally through a PHP script). Each answers an invalid
// QUrl when the text does not parse. GUI thread for the forms that read the settings,
// any for the others.
#include <QString>
#include <QUrl>
#include <optional>

namespace kelvane {

class CoverAddress {
  public:
    // "http://" + (HTTP setting, else host) + "/" + (PHP setting + "/") + the encoded
    // "path/cover.jpg"; with the PHP prefix every "&" of the encoded path becomes "%26".
    static QUrl gridAddress(const QString &albumPath);
    static QUrl gridAddress(const QString &albumPath, const QString &server,
                            const std::optional<QString> &argsPHP);
    // "http://127.0.0.1/" + the encoded "path/cover.jpg".
    static QUrl largeAddress(const QString &albumPath);

    static QString gridText(const QString &albumPath, const QString &server,
                            const std::optional<QString> &argsPHP);
    static QString largeText(const QString &albumPath);
    // UTF-8 bytes percent-encoded except letters, digits and ! $ & ' ( ) * + , - . / : =
    // @ _ ~
    static QString encodePath(const QString &text);
    static QString picturePath(const QString &albumPath);
};

} // namespace kelvane
