#pragma once

#include "core/model/Song.h"

namespace kelvane {

namespace mpdc {
struct SongInfo;
}

// How a song the server sent becomes our record, in one place. The readers differ only
// in what they keep: the catalogue every field (its grid tells formats and discs apart);
// the queue the tags its table and the current-song marks use; a stored playlist names a
// song by its album artist when it has one and keeps no separate album artist. The
// console prints these records, so what each reading leaves empty is part of its output.
// Any thread.
enum class SongReading { Catalogue, Queue, Playlist };

Song songFromServer(const mpdc::SongInfo &info, SongReading reading);

} // namespace kelvane
