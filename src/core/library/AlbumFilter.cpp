#include "core/library/AlbumFilter.h"

#include "core/model/TextFold.h"

namespace kelvane {

QString AlbumFilter::fold(const QString &text) {
    return textfold::searchKey(text);
}

QStringList AlbumFilter::words(const QString &text) {
    return fold(text).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

void AlbumFilter::setAlbums(const QList<Album> &albums) {
    m_haystacks.clear();
    m_haystacks.reserve(albums.size());
    for (const Album &album : albums) {
        // One text per album; the separator keeps a word from spanning two fields.
        QString all = album.albumName + QChar(0x1F) + album.artist + QChar(0x1F) + album.genre;
        if (album.date > 0) all += QChar(0x1F) + QString::number(album.date);
        m_haystacks.append(fold(all));
    }
}

bool AlbumFilter::matches(qsizetype row, const QStringList &foldedWords) const {
    if (row < 0 || row >= m_haystacks.size()) return false;
    const QString &haystack = m_haystacks[row];
    for (const QString &word : foldedWords)
        if (!haystack.contains(word)) return false;
    return true;
}

QList<qsizetype> AlbumFilter::matching(const QString &text) const {
    const QStringList foldedWords = words(text);
    QList<qsizetype> rows;
    for (qsizetype row = 0; row < m_haystacks.size(); ++row)
        if (foldedWords.isEmpty() || matches(row, foldedWords)) rows.append(row);
    return rows;
}

} // namespace kelvane
