#include "ui/ContentViews.h"

#include "ui/views/library/AlbumsView.h"
#include "ui/views/library/PlaylistView.h"
#include "ui/views/library/QueueView.h"
#include "ui/views/radio/RadioView.h"
#include "ui/views/radio/StreamView.h"

namespace kelvane {

namespace {

QWidget *viewFor(const QString &name, QWidget *parent) {
    if (name == QLatin1String("Library")) return new AlbumsView(parent);
    if (name == QLatin1String("Queue")) return new QueueView(parent);
    if (name == QLatin1String("Playlist")) return new PlaylistView(parent);
    if (name == QLatin1String("Stream")) return new StreamView(parent);
    if (name == QLatin1String("Radio")) return new RadioView(parent);
    return nullptr;
}

} // namespace

QWidget *createContentView(const QString &name, QWidget *parent) {
    QWidget *view = viewFor(name, parent);
    if (view) view->setObjectName(name);
    return view;
}

} // namespace kelvane
