#include "core/library/CurrentPlaylisyView.h"

namespace kelvane {

namespace {
QString &held() {
    static QString name;
    return name;
}
} // namespace

QString CurrentPlaylisyView::currentPlaylist() {
    return held();
}

void CurrentPlaylisyView::setCurrentPlaylist(const QString &name) {
    held() = name;
}

} // namespace kelvane
