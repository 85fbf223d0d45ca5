#include "covers/CoverOrigin.h"

namespace kelvane {

QString coverOriginName(CoverOrigin origin) {
    switch (origin) {
    case CoverOrigin::Http:
        return QStringLiteral("http");
    case CoverOrigin::AlbumArt:
        return QStringLiteral("albumart");
    case CoverOrigin::ReadPicture:
        return QStringLiteral("readpicture");
    case CoverOrigin::Memory:
        return QStringLiteral("memory");
    case CoverOrigin::Disk:
        return QStringLiteral("disk");
    case CoverOrigin::None:
        break;
    }
    return QStringLiteral("none");
}

} // namespace kelvane
