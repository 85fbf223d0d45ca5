#pragma once

// The only header that names libmpdclient types for the rest of mpdc. Each C handle is
// owned once by a unique_ptr whose deleter is the library's own free function.
#include "base/CFree.h"

#include <memory>
#include <mpd/client.h>

namespace kelvane::mpdc {

using ConnectionPtr = std::unique_ptr<mpd_connection, CFree<mpd_connection_free>>;
using StatusPtr = std::unique_ptr<mpd_status, CFree<mpd_status_free>>;
using SongPtr = std::unique_ptr<mpd_song, CFree<mpd_song_free>>;
using EntityPtr = std::unique_ptr<mpd_entity, CFree<mpd_entity_free>>;
using PlaylistPtr = std::unique_ptr<mpd_playlist, CFree<mpd_playlist_free>>;
using OutputPtr = std::unique_ptr<mpd_output, CFree<mpd_output_free>>;

} // namespace kelvane::mpdc
