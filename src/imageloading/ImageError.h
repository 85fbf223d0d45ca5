#pragma once

#include <QMetaType>
#include <QString>

namespace kelvane {

// A failure of the image loader: a domain, a code and a description. A null error
// (empty domain) means success.
struct ImageError {
    QString domain;
    int code = 0;
    QString description;

    bool isNull() const { return domain.isEmpty(); }
    explicit operator bool() const { return !isNull(); }

    // Failures of decoding and of the loader itself.
    static inline const QString ImageErrorDomain = QStringLiteral("ImageErrorDomain");
    // Transport failures; the codes are the well-known URL loading codes (-999 cancelled,
    // -1001 timed out, ...) because the manager decides on them.
    static inline const QString URLErrorDomain = QStringLiteral("URLErrorDomain");

    static ImageError image(int code, const QString &description) {
        return {ImageErrorDomain, code, description};
    }
    static ImageError url(int code, const QString &description) {
        return {URLErrorDomain, code, description};
    }
};

// Codes of URLErrorDomain the loader produces or decides on.
namespace URLError {
inline constexpr int Unknown = -1;
inline constexpr int Cancelled = -999;
inline constexpr int BadURL = -1000;
inline constexpr int TimedOut = -1001;
inline constexpr int UnsupportedURL = -1002;
inline constexpr int CannotFindHost = -1003;
inline constexpr int CannotConnectToHost = -1004;
inline constexpr int NetworkConnectionLost = -1005;
inline constexpr int NotConnectedToInternet = -1009;
inline constexpr int BadServerResponse = -1011;
inline constexpr int InternationalRoamingOff = -1018;
inline constexpr int DataNotAllowed = -1020;
inline constexpr int FileDoesNotExist = -1100;
inline constexpr int SecureConnectionFailed = -1200;
} // namespace URLError

} // namespace kelvane

Q_DECLARE_METATYPE(kelvane::ImageError)
