#include "ui/base/Icons.h"

#include "ui/base/Style.h"

#include <QApplication>
#include <QFile>
#include <QHash>
#include <QIconEngine>
#include <QPainter>
#include <QScreen>
#include <QSvgRenderer>

// Resources of a static library are registered only when something names them.
static void initIconResources() {
    Q_INIT_RESOURCE(icons);
}

namespace kelvane {

namespace {

QByteArray rawSvg(const QString &name) {
    static bool initialised = false;
    if (!initialised) {
        initIconResources();
        initialised = true;
    }
    static QHash<QString, QByteArray> cache;
    auto it = cache.constFind(name);
    if (it != cache.constEnd()) return *it;
    QFile file(Icons::resourcePath(name));
    QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    cache.insert(name, bytes);
    return bytes;
}

QByteArray colourName(const QColor &c) {
    return c.name(QColor::HexRgb).toLatin1();
}

QByteArray substituted(QByteArray svg, const QPalette &palette, QIcon::Mode mode) {
    QColor fg = palette.color(QPalette::WindowText);
    if (mode == QIcon::Disabled)
        fg = palette.color(QPalette::Disabled, QPalette::WindowText);
    else if (mode == QIcon::Selected)
        fg = palette.color(QPalette::HighlightedText);
    svg.replace("@fg@", colourName(fg));
    svg.replace("@bg@", colourName(palette.color(QPalette::Window)));
    svg.replace("@accent@", colourName(Style::accent()));
    svg.replace("@mid@", colourName(palette.color(QPalette::Mid)));
    return svg;
}

qreal screenRatio(qreal asked) {
    if (asked > 0) return asked;
    return qApp ? qApp->devicePixelRatio() : 1.0;
}

QImage render(const QByteArray &svg, const QSize &size, qreal ratio) {
    QSvgRenderer renderer(svg);
    if (!renderer.isValid()) return {};
    const QSize logical = size.isEmpty() ? renderer.defaultSize() : size;
    QImage out((QSizeF(logical) * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
    out.fill(Qt::transparent);
    QPainter painter(&out);
    renderer.render(&painter);
    painter.end();
    out.setDevicePixelRatio(ratio);
    return out;
}

// Draws the SVG at whatever size and mode the view asks, in the palette of that moment,
// so a theme switch needs no reloading.
class SvgIconEngine : public QIconEngine {
  public:
    explicit SvgIconEngine(QString name) : m_name(std::move(name)) {}
    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State) override {
        QSvgRenderer renderer(substituted(rawSvg(m_name), QApplication::palette(), mode));
        renderer.render(painter, QRectF(rect));
    }
    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override {
        return scaledPixmap(size, mode, state, 1.0);
    }
    QPixmap scaledPixmap(const QSize &size, QIcon::Mode mode, QIcon::State, qreal scale) override {
        QImage img =
            render(substituted(rawSvg(m_name), QApplication::palette(), mode), size, scale);
        return QPixmap::fromImage(img);
    }
    QIconEngine *clone() const override { return new SvgIconEngine(m_name); }
    QString key() const override { return QStringLiteral("kelvane-svg"); }
    bool isNull() override { return rawSvg(m_name).isEmpty(); }
    QSize actualSize(const QSize &size, QIcon::Mode, QIcon::State) override { return size; }

  private:
    QString m_name;
};

} // namespace

bool Icons::exists(const QString &name) {
    return !rawSvg(name).isEmpty();
}

QByteArray Icons::svg(const QString &name) {
    return substituted(rawSvg(name), QApplication::palette(), QIcon::Normal);
}

QIcon Icons::icon(const QString &name) {
    if (!exists(name)) return {};
    return QIcon(new SvgIconEngine(name));
}

QSize Icons::naturalSize(const QString &name) {
    QSvgRenderer renderer(rawSvg(name));
    return renderer.isValid() ? renderer.defaultSize() : QSize();
}

QImage Icons::image(const QString &name, const QSize &size, qreal devicePixelRatio) {
    if (!exists(name)) return {};
    return render(svg(name), size, screenRatio(devicePixelRatio));
}

QPixmap Icons::pixmap(const QString &name, const QSize &size, qreal devicePixelRatio) {
    return QPixmap::fromImage(image(name, size, devicePixelRatio));
}

} // namespace kelvane
