#pragma once

#include "mpdc/Records.h"

struct mpd_song;
struct mpd_status;
struct mpd_entity;

namespace kelvane::mpdc {

// Copies what the rest of the system reads out of the library's records; the C
// records are freed by their owners right after.
SongInfo songFrom(const mpd_song &song);
StatusInfo statusFrom(const mpd_status &status);
// Text the library hands over, decoded as UTF-8; null when absent or not UTF-8.
QString fromUtf8OrNull(const char *text);
Entity entityFrom(const mpd_entity &entity);

} // namespace kelvane::mpdc
