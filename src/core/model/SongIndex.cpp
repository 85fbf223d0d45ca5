#include "core/model/SongIndex.h"

#include "core/model/TextFold.h"

#include <QStringList>
#include <algorithm>

namespace kelvane {

quint32 SongIndex::appendText(const QString &text) {
    if (m_texts.isEmpty()) {
        m_texts.append(QString(QLatin1String("")));
        m_folded.append(QString(QLatin1String("")));
    }
    const quint32 id = quint32(m_texts.size());
    m_texts.append(text);
    const QString folded = textfold::searchKey(text);
    // Most texts fold to something else; those that do not share the original's memory.
    m_folded.append(folded == text ? text : folded);
    return id;
}

quint32 SongIndex::textId(QStringView text, Recent &recent) {
    if (text.isEmpty()) return 0;
    // The songs of an album come one after another: most texts are the last song's.
    if (recent.id != 0 && text == recent.text) return recent.id;
    const QString whole = text.toString();
    quint32 id;
    const auto known = m_ids.constFind(whole);
    if (known != m_ids.constEnd()) {
        id = *known;
    } else {
        id = appendText(whole);
        m_ids.insert(whole, id);
    }
    recent = {whole, id};
    return id;
}

void SongIndex::add(const Song &song) {
    Entry entry;
    const QString uri = song.fullPath();
    const qsizetype slash = uri.lastIndexOf(QLatin1Char('/'));
    entry.directory = slash < 0 ? 0 : textId(QStringView(uri).left(slash), m_recent[Directory]);
    m_files.append(slash < 0 ? uri : uri.mid(slash + 1));
    // Titles seldom repeat: each is kept as it comes, without looking it up.
    const QString title = song.title();
    entry.text[Title] = title.isEmpty() ? 0 : appendText(title);
    entry.text[Artist] = textId(song.artist(), m_recent[Artist]);
    entry.text[AlbumArtist] = textId(song.albumArtist(), m_recent[AlbumArtist]);
    entry.text[AlbumName] = textId(song.album(), m_recent[AlbumName]);
    entry.text[Composer] = textId(song.composer(), m_recent[Composer]);
    entry.text[Genre] = textId(song.genre(), m_recent[Genre]);
    if (song.date() > 0) {
        if (song.date() != m_recentDate)
            m_recentDateId = textId(QString::number(song.date()), m_recent[Year]);
        m_recentDate = song.date();
        entry.text[Year] = m_recentDateId;
    }
    entry.track = song.track();
    entry.disc = song.diskNb();
    entry.date = song.date();
    entry.duration = quint32(std::max(0.0f, song.duration()));
    m_songs.push_back(entry);
}

void SongIndex::done() {
    m_ids = {};
    for (Recent &recent : m_recent)
        recent = {};
    m_files.squeeze();
    m_texts.squeeze();
    m_folded.squeeze();
    m_songs.shrink_to_fit();
}

Song SongIndex::songAt(size_t index) const {
    const Entry &entry = m_songs[index];
    const auto text = [&](Field field) { return m_texts.value(entry.text[field]); };
    Song song;
    const QString &file = m_files[qsizetype(index)];
    song.setFullPath(entry.directory == 0 ? file
                                          : m_texts[entry.directory] + QLatin1Char('/') + file);
    const qsizetype dot = file.lastIndexOf(QLatin1Char('.'));
    song.setExtension(dot < 0 ? QString(QLatin1String("")) : file.mid(dot + 1));
    song.setTitle(text(Title));
    song.setArtist(text(Artist));
    song.setAlbumArtist(text(AlbumArtist));
    song.setAlbum(text(AlbumName));
    song.setComposer(text(Composer));
    song.setGenre(text(Genre));
    song.setTrack(entry.track);
    song.setDiskNb(entry.disc);
    song.setDate(entry.date);
    song.setDuration(qint32(entry.duration));
    return song;
}

SongIndex::Found SongIndex::find(const QString &text, qsizetype limit) const {
    Found found;
    QStringList words = textfold::searchKey(text).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    words.removeDuplicates();
    if (words.isEmpty() || m_songs.empty() || limit <= 0) return found;

    // Which words each distinct text holds, as bits, 64 words to a group: a song matches
    // when its texts together hold every bit of every group.
    const qsizetype groups = (words.size() + 63) / 64;
    // Text 0 ("") holds no word; it stands alone when no song had a text.
    const qsizetype texts = std::max<qsizetype>(1, m_folded.size());
    std::vector<quint64> held(size_t(texts * groups), 0);
    std::vector<quint64> all(size_t(groups), 0);
    for (qsizetype w = 0; w < words.size(); ++w) {
        const qsizetype group = w / 64;
        const quint64 bit = quint64(1) << (w % 64);
        all[size_t(group)] |= bit;
        const QString &word = words[w];
        for (qsizetype id = 1; id < texts; ++id)
            if (m_folded[id].contains(word)) held[size_t(id * groups + group)] |= bit;
    }

    for (size_t index = 0; index < m_songs.size(); ++index) {
        const Entry &entry = m_songs[index];
        bool matches = true;
        for (qsizetype group = 0; matches && group < groups; ++group) {
            quint64 bits = 0;
            for (quint32 id : entry.text)
                bits |= held[size_t(qsizetype(id) * groups + group)];
            matches = bits == all[size_t(group)];
        }
        if (!matches) continue;
        if (found.songs.size() == limit) {
            found.cut = true;
            break;
        }
        found.songs.append(songAt(index));
    }
    return found;
}

} // namespace kelvane
