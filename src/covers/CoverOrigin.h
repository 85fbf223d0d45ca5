#pragma once

#include <QString>

namespace kelvane {

// Where a shown cover came from: the web server, the server's cover file ("albumart"),
// the picture embedded in a song ("readpicture"), or one of the cache levels.
enum class CoverOrigin { None, Http, AlbumArt, ReadPicture, Memory, Disk };

// "none", "http", "albumart", "readpicture", "memory", "disk".
QString coverOriginName(CoverOrigin origin);

} // namespace kelvane
