#pragma once

// The record lines several command groups print, in one place.
#include "core/model/Album.h"
#include "core/model/Song.h"

#include <QList>
#include <QStringList>
#include <optional>

namespace kelvane::consolelines {

// "album<TAB>artist<TAB>name<TAB>path<TAB>date<TAB>genre"
QStringList album(const Album &album);
// "song<TAB>track<TAB>disc<TAB>date<TAB>duration<TAB>bits<TAB>artist<TAB>albumArtist<TAB>
// composer<TAB>album<TAB>title<TAB>genre<TAB>extension<TAB>path"; tag texts go through
// the read rule, so an absent tag prints as an empty field.
QStringList song(const Song &song);
// Every song, then "end<TAB>count"; "absent" for none.
void printSongs(const std::optional<QList<Song>> &songs);
// "invalid<TAB>command argument"
void invalid(const QString &command, const QString &argument);

} // namespace kelvane::consolelines
