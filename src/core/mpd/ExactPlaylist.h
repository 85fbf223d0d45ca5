#pragma once

#include "mpdc/Connection.h"

#include <QString>
#include <optional>

namespace kelvane {

// Reads the stored playlist of exactly this name with read (a Connection member taking
// the name). The look-up and the read are one piece under the connection's lock, so the
// playlist cannot vanish between; asking for the names first keeps a missing playlist
// from becoming a refusal alert, and "Rock" from showing "Rock Classics" as a prefix
// match did. An empty list when there is no such playlist; none when an exchange failed.
// The caller's thread.
template <class Entries>
std::optional<Entries>
readExactPlaylist(mpdc::Connection &connection, const QString &name,
                  std::optional<Entries> (mpdc::Connection::*read)(const QString &)) {
    auto guard = connection.lock();
    const std::optional<QStringList> names = connection.playlists();
    if (!names) return std::nullopt;
    if (!names->contains(name)) return Entries{};
    return (connection.*read)(name);
}

} // namespace kelvane
