#include "core/library/AlbumFilter.h"

namespace kelvane {

QString AlbumFilter::fold(const QString &text) {
    // Compatibility decomposition splits "é" into "e" and a combining mark, and spells
    // ligatures out; the marks are dropped.
    const QString decomposed = text.normalized(QString::NormalizationForm_KD);
    QString out;
    out.reserve(decomposed.size());
    for (QChar c : decomposed) {
        const QChar::Category category = c.category();
        if (category == QChar::Mark_NonSpacing || category == QChar::Mark_SpacingCombining ||
            category == QChar::Mark_Enclosing)
            continue;
        out += c;
    }
    // Letters KD leaves whole.
    out.replace(QChar(0x0152), QLatin1String("oe")).replace(QChar(0x0153), QLatin1String("oe"));
    out.replace(QChar(0x00C6), QLatin1String("ae")).replace(QChar(0x00E6), QLatin1String("ae"));
    out.replace(QChar(0x00DF), QLatin1String("ss")).replace(QChar(0x00D8), QLatin1Char('o'));
    out.replace(QChar(0x00F8), QLatin1Char('o'));
    return out.toCaseFolded();
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
