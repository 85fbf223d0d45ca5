#pragma once

#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QSize>
#include <QString>

namespace kelvane {

// The named pictures of the application (":/icons/<name>", SVG). Pictures that follow
// the palette (sidebar and transport icons, the track of a slider) are drawn in the
// application palette's colours at the moment they are asked for. GUI thread.
//   Icons::icon("sidebar_album")            a QIcon that draws itself at any size
//   Icons::pixmap("no_cover", {128, 128})    a pixmap at the screen's pixel ratio
//   Icons::image("knob")                     the picture at its natural size
class Icons {
  public:
    static QIcon icon(const QString &name);
    static QPixmap pixmap(const QString &name, const QSize &size, qreal devicePixelRatio = 0);
    // An empty size means the picture's natural size (its SVG width and height).
    static QImage image(const QString &name, const QSize &size = {}, qreal devicePixelRatio = 0);
    static QSize naturalSize(const QString &name);
    static bool exists(const QString &name);
    // The SVG text with the palette's colours put in.
    static QByteArray svg(const QString &name);
    static QString resourcePath(const QString &name) { return QStringLiteral(":/icons/") + name; }
};

} // namespace kelvane
