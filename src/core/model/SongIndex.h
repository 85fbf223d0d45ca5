#pragma once

// Every song of the catalogue, for the song search under the album grid, searched in
// memory rather than by the server so a keystroke costs no exchange. Texts repeat (an
// album's name, artist and genre on each of its songs; its directory): each distinct
// text is kept and folded once, and a song holds the numbers of its texts (titles, which
// seldom repeat, are kept as they come). A search folds its words, finds the distinct
// texts that hold each word, then only compares numbers per song. Built by one thread
// (the one reading the catalogue), then shared read-only: find is safe from any thread.
#include "core/model/Song.h"

#include <QHash>
#include <QList>
#include <QString>
#include <vector>

namespace kelvane {

class SongIndex {
  public:
    // One song as the catalogue read it, in database order.
    void add(const Song &song);
    // Drops what only building needed; no add after it.
    void done();
    qsizetype size() const { return qsizetype(m_songs.size()); }

    struct Found {
        QList<Song> songs;
        bool cut = false;
    };
    // The songs whose title, artist, album artist, album, composer, genre or year hold
    // every word of text, blind to case and accents (textfold::searchKey, as the album
    // filter), in the order they were added; at most limit, cut when there were more.
    Found find(const QString &text, qsizetype limit) const;

  private:
    enum Field { Title, Artist, AlbumArtist, AlbumName, Composer, Genre, Year, SearchedFields };
    static constexpr int Directory = SearchedFields;
    struct Entry {
        quint32 directory = 0;
        quint32 text[SearchedFields] = {};
        qint32 track = 0, disc = 0, date = 0;
        quint32 duration = 0;
    };
    struct Recent {
        QString text;
        quint32 id = 0;
    };
    quint32 appendText(const QString &text);
    // The number of a text, the same for the same text; recent: the field's last one.
    quint32 textId(QStringView text, Recent &recent);
    Song songAt(size_t index) const;

    std::vector<Entry> m_songs;
    QList<QString> m_files; // each song's file name, without its directory
    QList<QString> m_texts; // the distinct texts; 0 is ""
    QList<QString> m_folded;
    // While building.
    QHash<QString, quint32> m_ids;
    Recent m_recent[SearchedFields + 1];
    qint32 m_recentDate = 0;
    quint32 m_recentDateId = 0;
};

} // namespace kelvane
