#include "core/library/CoverAddress.h"

#include "core/settings/Setting.h"

namespace kelvane {

QString CoverAddress::picturePath(const QString &albumPath) {
    // The root directory ("") gives "/cover.jpg", hence two slashes in a row after the
    // server or the prefix; that is the address the web servers in use expect.
    return albumPath + QLatin1String("/cover.jpg");
}

QString CoverAddress::encodePath(const QString &text) {
    // Letters, digits and "-._~" are never encoded; these are kept as well, so the
    // directory structure and the usual punctuation of album names survive.
    static const QByteArray kept = QByteArrayLiteral("!$&'()*+,/:=@");
    return QString::fromLatin1(text.toUtf8().toPercentEncoding(kept));
}

QString CoverAddress::gridText(const QString &albumPath, const QString &server,
                               const std::optional<QString> &argsPHP) {
    QString encoded = encodePath(picturePath(albumPath));
    QString prefix;
    if (argsPHP && !argsPHP->isEmpty()) {
        prefix = *argsPHP + QLatin1Char('/');
        // Inside the script's query an "&" would start the next parameter.
        encoded.replace(QLatin1Char('&'), QLatin1String("%26"));
    }
    return QLatin1String("http://") + server + QLatin1Char('/') + prefix + encoded;
}

QString CoverAddress::largeText(const QString &albumPath) {
    return QLatin1String("http://127.0.0.1/") + encodePath(picturePath(albumPath));
}

namespace {
QUrl parsed(const QString &text) {
    QUrl url(text, QUrl::StrictMode);
    return url.isValid() ? url : QUrl();
}
} // namespace

QUrl CoverAddress::gridAddress(const QString &albumPath, const QString &server,
                               const std::optional<QString> &argsPHP) {
    return parsed(gridText(albumPath, server, argsPHP));
}

QUrl CoverAddress::gridAddress(const QString &albumPath) {
    const Setting &setting = Setting::sSetting();
    const std::optional<QString> http = setting.hostHTTP();
    // An empty web-server setting is no web server: the address would have no host.
    const QString server = http && !http->isEmpty() ? *http : setting.host();
    return gridAddress(albumPath, server, setting.argsPHP());
}

QUrl CoverAddress::largeAddress(const QString &albumPath) {
    return parsed(largeText(albumPath));
}

} // namespace kelvane
