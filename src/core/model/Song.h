#pragma once

#include <QString>

namespace kelvane {

// One song of the server: a database file, or an entry of the queue or of a stored
// playlist. Filled by the readers of the catalogue, the queue and the playlists; the
// views only read it.
//
// Read rule: the seven tag texts (artist, albumArtist, composer, album, title, genre,
// comment) never read as absent: an absent, empty or "(null)" value reads as "", so a
// view never prints "(null)". fullPath and extension read exactly as stored.
class Song {
  public:
    QString artist() const { return readRule(m_artist); }
    void setArtist(const QString &v) { m_artist = v; }
    QString albumArtist() const { return readRule(m_albumArtist); }
    void setAlbumArtist(const QString &v) { m_albumArtist = v; }
    QString composer() const { return readRule(m_composer); }
    void setComposer(const QString &v) { m_composer = v; }
    QString album() const { return readRule(m_album); }
    void setAlbum(const QString &v) { m_album = v; }
    QString title() const { return readRule(m_title); }
    void setTitle(const QString &v) { m_title = v; }
    QString genre() const { return readRule(m_genre); }
    void setGenre(const QString &v) { m_genre = v; }
    QString comment() const { return readRule(m_comment); }
    void setComment(const QString &v) { m_comment = v; }

    QString fullPath() const { return m_fullPath; }
    void setFullPath(const QString &v) { m_fullPath = v; }
    QString extension() const { return m_extension; }
    void setExtension(const QString &v) { m_extension = v; }

    qint32 track() const { return m_track; }
    void setTrack(qint32 v) { m_track = v; }
    qint32 diskNb() const { return m_diskNb; }
    void setDiskNb(qint32 v) { m_diskNb = v; }
    qint32 date() const { return m_date; }
    void setDate(qint32 v) { m_date = v; }
    float duration() const { return m_duration; }
    void setDuration(qint32 seconds) { m_duration = float(seconds); }
    qint32 bits() const { return m_bits; }
    void setBits(qint32 v) { m_bits = v; }

    // The integer value of a tag: leading blanks skipped, an optional sign and the
    // digits after it; 0 when absent or not starting with a digit ("3/12" → 3).
    static qint32 integerValue(const QString &tag);

  private:
    static QString readRule(const QString &stored);

    QString m_artist, m_albumArtist, m_composer, m_album, m_title, m_genre, m_comment;
    QString m_fullPath, m_extension;
    qint32 m_track = 0, m_diskNb = 0, m_date = 0, m_bits = 0;
    float m_duration = 0;
};

} // namespace kelvane
