#include "core/library/AlbumFilter.h"

#include <QHash>

namespace kelvane {

QString AlbumFilter::fold(const QString &text) {
    // One pass, a character at a time. Normalising the whole text at once made Qt move
    // the rest of the text for every character it decomposed: 500,000 "é" took 10 s.
    // A character's compatibility decomposition does not depend on its neighbours (only
    // the order of the marks does, and the marks are dropped), so the result is the same.
    // It splits "é" into "e" and a combining mark, and spells ligatures out.
    QString out;
    out.reserve(text.size());
    // A text uses few distinct characters: each is decomposed once.
    QHash<char32_t, QString> decompositions;
    for (qsizetype i = 0; i < text.size();) {
        const QChar first = text.at(i);
        if (first.unicode() < 0x80) {
            out += first; // nothing to decompose
            ++i;
            continue;
        }
        const bool pair =
            first.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate();
        const char32_t code =
            pair ? QChar::surrogateToUcs4(first, text.at(i + 1)) : char32_t(first.unicode());
        auto found = decompositions.constFind(code);
        if (found == decompositions.constEnd())
            found = decompositions.insert(code, QStringView(text)
                                                    .mid(i, pair ? 2 : 1)
                                                    .toString()
                                                    .normalized(QString::NormalizationForm_KD));
        i += pair ? 2 : 1;
        for (QChar c : *found) {
            switch (c.category()) {
            case QChar::Mark_NonSpacing:
            case QChar::Mark_SpacingCombining:
            case QChar::Mark_Enclosing:
                continue;
            default:
                break;
            }
            // Letters the decomposition leaves whole.
            switch (c.unicode()) {
            case 0x0152: // Œ
            case 0x0153: // œ
                out += QLatin1String("oe");
                break;
            case 0x00C6: // Æ
            case 0x00E6: // æ
                out += QLatin1String("ae");
                break;
            case 0x00DF: // ß
                out += QLatin1String("ss");
                break;
            case 0x00D8: // Ø
            case 0x00F8: // ø
                out += QLatin1Char('o');
                break;
            default:
                out += c;
            }
        }
    }
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
