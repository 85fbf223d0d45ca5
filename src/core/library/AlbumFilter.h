#pragma once

// AlbumFilter — which albums a search text finds: every word of the text must appear in
// the album's name, artist, genre or year, ignoring case and accents ("beyonce" finds
// "Beyoncé", "ete" finds "Été"). The albums' texts are folded once when the list is set,
// so a keystroke only scans prepared text. Thread: whichever owns it.
#include "core/model/Album.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace kelvane {

class AlbumFilter {
  public:
    void setAlbums(const QList<Album> &albums);
    // Rows (in list order) of the albums the text finds; every row for a blank text.
    QList<qsizetype> matching(const QString &text) const;
    bool matches(qsizetype row, const QStringList &foldedWords) const;

    // Lower case, accents and other marks removed, ligatures and compatibility forms
    // spelled out ("Œ" -> "oe", "ﬁ" -> "fi"): textfold::searchKey.
    static QString fold(const QString &text);
    static QStringList words(const QString &text);

  private:
    QList<QString> m_haystacks;
};

} // namespace kelvane
