#pragma once

// What a cover handed to the desktop must be: the album's own picture, in a file only the
// user may read, in the process's directory of the user's alone, never a shared one.
#include "desktop/CoverFile.h"

#include <QColor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTcpServer>
#include <QUrl>
#include <gtest/gtest.h>

namespace kelvane::test {

inline void expectPrivateCover(const QString &url, const QByteArray &picture,
                               const QString &base = CoverFile::defaultBase()) {
    const QUrl address(url);
    ASSERT_TRUE(address.isLocalFile()) << url.toStdString();
    const QString path = address.toLocalFile();
    EXPECT_TRUE(path.startsWith(base + QStringLiteral("/covers-"))) << path.toStdString();
    const QFileDevice::Permissions others = QFileDevice::ReadGroup | QFileDevice::WriteGroup |
                                            QFileDevice::ExeGroup | QFileDevice::ReadOther |
                                            QFileDevice::WriteOther | QFileDevice::ExeOther;
    EXPECT_EQ(QFile::permissions(path) & others, QFileDevice::Permissions()) << path.toStdString();
    EXPECT_EQ(QFile::permissions(QFileInfo(path).path()) & others, QFileDevice::Permissions());
    EXPECT_EQ(QFile::permissions(base) & others, QFileDevice::Permissions());
    const QImage shown(path);
    const QImage expected = QImage::fromData(picture);
    ASSERT_FALSE(shown.isNull()) << path.toStdString();
    EXPECT_EQ(shown.size(), expected.size());
    // Encoded again: the same colour, give or take the compression (in a corner: the
    // generated covers carry their name in the middle).
    const QColor a = shown.pixelColor(3, 3);
    const QColor b = expected.pixelColor(3, 3);
    EXPECT_LE(std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
                  std::abs(a.blue() - b.blue()),
              24)
        << a.name().toStdString() << " vs " << b.name().toStdString();
}

inline QByteArray fileBytes(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A loopback port nothing listens on: a cover web server there is refused at once, and
// covers come from the MPD server, as in the default set-up.
inline quint16 closedPort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return probe.serverPort();
}

} // namespace kelvane::test
