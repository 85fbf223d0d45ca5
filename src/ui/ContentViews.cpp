#include "ui/ContentViews.h"

#include "ui/base/Style.h"

#include <QLabel>
#include <QVBoxLayout>

#if __has_include("ui/views/library/AlbumsView.h")
#include "ui/views/library/AlbumsView.h"
#define KELVANE_HAS_ALBUMS 1
#endif
#if __has_include("ui/views/library/QueueView.h")
#include "ui/views/library/QueueView.h"
#define KELVANE_HAS_QUEUE 1
#endif
#if __has_include("ui/views/library/PlaylistView.h")
#include "ui/views/library/PlaylistView.h"
#define KELVANE_HAS_PLAYLIST 1
#endif
#if __has_include("ui/views/radio/StreamView.h")
#if __has_include("ui/views/radio/StreamEdit.h")
// StreamView.h converts a QPointer<StreamEdit> inline and needs the complete type.
#include "ui/views/radio/StreamEdit.h"
#endif
#include "ui/views/radio/StreamView.h"
#define KELVANE_HAS_STREAM 1
#endif
#if __has_include("ui/views/radio/RadioView.h")
#include "ui/views/radio/RadioView.h"
#define KELVANE_HAS_RADIO 1
#endif

namespace kelvane {

namespace {

QWidget *placeholder(const QString &name, QWidget *parent) {
    auto *view = new QWidget(parent);
    auto *label = new QLabel(
        QStringLiteral("« %1 » n'est pas disponible dans cette version.").arg(name), view);
    label->setAlignment(Qt::AlignCenter);
    Style::setTextColor(label, Style::secondaryLabelColor());
    auto *layout = new QVBoxLayout(view);
    layout->addWidget(label);
    return view;
}

QWidget *realView(const QString &name, QWidget *parent) {
#ifdef KELVANE_HAS_ALBUMS
    if (name == QLatin1String("Library")) return new AlbumsView(parent);
#endif
#ifdef KELVANE_HAS_QUEUE
    if (name == QLatin1String("Queue")) return new QueueView(parent);
#endif
#ifdef KELVANE_HAS_PLAYLIST
    if (name == QLatin1String("Playlist")) return new PlaylistView(parent);
#endif
#ifdef KELVANE_HAS_STREAM
    if (name == QLatin1String("Stream")) return new StreamView(parent);
#endif
#ifdef KELVANE_HAS_RADIO
    if (name == QLatin1String("Radio")) return new RadioView(parent);
#endif
    Q_UNUSED(name);
    Q_UNUSED(parent);
    return nullptr;
}

} // namespace

QWidget *createContentView(const QString &name, QWidget *parent) {
    QWidget *view = realView(name, parent);
    if (!view) view = placeholder(name, parent);
    view->setObjectName(name);
    return view;
}

} // namespace kelvane
