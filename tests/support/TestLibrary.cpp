#include "support/TestLibrary.h"

#include "support/DsfWriter.h"

#include <QBuffer>
#include <QColor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

namespace kelvane::test {

TestLibrary::TestLibrary(const QString &musicDir) : m_musicDir(QDir(musicDir).absolutePath()) {
    QDir().mkpath(m_musicDir);
}

TestLibrary::~TestLibrary() = default;

QString TestLibrary::musicDir() const {
    return m_musicDir;
}

int TestLibrary::songCount() const {
    return m_songCount;
}

void TestLibrary::add(const QString &relativePath, const Tags &tags, int seconds, int bits) {
    write(relativePath, m_writer.file(tags, seconds, bits));
    ++m_songCount;
}

void TestLibrary::addDsf(const QString &relativePath, const Tags &tags, int seconds) {
    write(relativePath, dsfFile(tags, seconds));
    ++m_songCount;
}

void TestLibrary::addRaw(const QString &relativePath, const QByteArray &bytes) {
    write(relativePath, bytes);
}

bool TestLibrary::write(const QString &relativePath, const QByteArray &bytes) {
    const QString path = m_musicDir + u'/' + relativePath;
    const QString dir = QFileInfo(path).absolutePath();
    if (dir != m_lastDir) {
        QDir().mkpath(dir);
        m_lastDir = dir;
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        qWarning("TestLibrary: cannot write %s", qPrintable(path));
        return false;
    }
    return file.write(bytes) == bytes.size();
}

QByteArray TestLibrary::coverJpeg(const QString &text, int size) {
    QImage image(size, size, QImage::Format_RGB32);
    // A colour of its own per album, so that a wrong cover in a view is visible.
    const int hue = int(qHash(text) % 360);
    image.fill(QColor::fromHsv(hue, 160, 200));
    // Text needs fonts, which only exist once a GUI application does.
    if (qobject_cast<QGuiApplication *>(QCoreApplication::instance()) && !text.isEmpty()) {
        QPainter painter(&image);
        painter.setPen(Qt::black);
        QFont font = painter.font();
        font.setPixelSize(qMax(8, size / 12));
        painter.setFont(font);
        painter.drawText(image.rect().adjusted(size / 20, size / 20, -size / 20, -size / 20),
                         Qt::AlignCenter | Qt::TextWordWrap, text);
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 85);
    return bytes;
}

void TestLibrary::addWithPicture(const QString &relativePath, const Tags &tags,
                                 const QByteArray &picture, const QByteArray &mime) {
    write(relativePath, m_writer.file(tags, 3, 16, 64, picture, mime));
    ++m_songCount;
}

QByteArray TestLibrary::coverPng(const QString &text, int size) {
    QImage image(size, size, QImage::Format_RGB32);
    image.fill(QColor::fromHsv(int(qHash(text) % 360), 120, 230));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

void TestLibrary::addCoverPng(const QString &albumDir, const QString &text, int size) {
    addRaw(albumDir.isEmpty() ? QStringLiteral("cover.png")
                              : albumDir + QStringLiteral("/cover.png"),
           coverPng(text, size));
}

void TestLibrary::addCover(const QString &albumDir, const QString &text, int size) {
    addRaw(albumDir.isEmpty() ? QStringLiteral("cover.jpg")
                              : albumDir + QStringLiteral("/cover.jpg"),
           coverJpeg(text, size));
}

void TestLibrary::writeBulk(int albums, int songsPerAlbum) {
    static const char *const genres[] = {"Rock", "Jazz", "Pop", "Classical", "Folk", "Electronic"};
    for (int a = 0; a < albums; ++a) {
        const QString artist = QStringLiteral("Artist %1").arg(a / 10, 3, 10, QLatin1Char('0'));
        const QString album = QStringLiteral("Album %1").arg(a, 4, 10, QLatin1Char('0'));
        const QString dir = artist + u'/' + album + u'/';
        Tags tags;
        tags.artist = artist;
        tags.album = album;
        tags.date = QString::number(1960 + a % 60);
        tags.genre = QString::fromLatin1(genres[a % 6]);
        for (int s = 1; s <= songsPerAlbum; ++s) {
            const QString number = QStringLiteral("%1").arg(s, 2, 10, QLatin1Char('0'));
            tags.title = QStringLiteral("Title ") + number;
            tags.track = QString::number(s);
            add(dir + number + QStringLiteral(" Title.flac"), tags, 1, 16);
        }
    }
}

} // namespace kelvane::test
