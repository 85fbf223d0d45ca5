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
// Whether a status could come from a real server: a volume from 0 to 100 (or none), a
// queue no longer than maxQueueLength, a current song inside it, an elapsed time that is not a
// negative one wrapped round by the library (over 2^31 ms, some 24 days).
bool isPlausible(const StatusInfo &status);
// Text the library hands over, decoded as UTF-8; null when absent or not UTF-8.
QString fromUtf8OrNull(const char *text);
Entity entityFrom(const mpd_entity &entity);

} // namespace kelvane::mpdc
