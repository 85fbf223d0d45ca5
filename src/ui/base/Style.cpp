#include "ui/base/Style.h"

#include <QApplication>
#include <QFontDatabase>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QStyleOption>
#include <QWidget>

namespace kelvane::Style {

namespace {

class FieldFrameStyle : public QProxyStyle {
  public:
    using QProxyStyle::QProxyStyle;

    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget) const override {
        // A focused field keeps Fusion's accent ring; only the resting border changes,
        // drawn where and as Fusion draws it.
        if (element == PE_FrameLineEdit && isDark(option->palette) &&
            !(option->state & State_HasFocus)) {
            painter->save();
            painter->setRenderHint(QPainter::Antialiasing, true);
            painter->translate(0.5, 0.5);
            painter->setPen(fieldBorderColor(option->palette));
            painter->setBrush(Qt::NoBrush);
            painter->drawRoundedRect(QRectF(option->rect).adjusted(0, 0, -1, -1), 2, 2);
            painter->restore();
            return;
        }
        QProxyStyle::drawPrimitive(element, option, painter, widget);
        // Fusion outlines a check box or radio button a shade darker than the window, and
        // fills it with the base colour: in the dark palette an unchecked one is all but
        // invisible. Its outline goes over in the field border's colour.
        if ((element == PE_IndicatorCheckBox || element == PE_IndicatorRadioButton) &&
            isDark(option->palette) &&
            !(option->state & State_HasFocus && option->state & State_KeyboardFocusChange)) {
            painter->save();
            painter->setRenderHint(QPainter::Antialiasing, true);
            painter->setPen(fieldBorderColor(option->palette));
            painter->setBrush(Qt::NoBrush);
            const QRect &rect = option->rect;
            if (element == PE_IndicatorCheckBox) {
                painter->translate(0.5, 0.5);
                painter->drawRect(rect.adjusted(0, 0, -1, -1));
            } else {
                // Fusion's circle: centred a pixel down and right, its radius from an odd
                // width.
                const qreal radius = (rect.width() + (rect.width() + 1) % 2) / 2.0 - 1;
                painter->drawEllipse(QPointF(rect.center()) + QPointF(1, 1), radius, radius);
            }
            painter->restore();
        }
    }
};

} // namespace

QColor accent() {
    return QColor(255, 171, 1);
}
QColor errorRed() {
    return QColor(255, 0, 0);
}

bool isDark(const QPalette &palette) {
    return palette.color(QPalette::Window).lightness() < 128;
}

bool isDark() {
    return isDark(QApplication::palette());
}

QColor labelColor() {
    return QApplication::palette().color(QPalette::WindowText);
}

QColor secondaryLabelColor() {
    return isDark() ? QColor(0x9a, 0x9d, 0xa6) : QColor(0x6e, 0x71, 0x79);
}

QColor sidebarBackground() {
    return isDark() ? QColor(0x17, 0x18, 0x1b) : QColor(0xec, 0xed, 0xf0);
}
QColor barBackground() {
    return isDark() ? QColor(0x23, 0x25, 0x2a) : QColor(0xfa, 0xfa, 0xfb);
}
QColor separatorColor() {
    return isDark() ? QColor(0x33, 0x35, 0x3b) : QColor(0xd6, 0xd8, 0xdd);
}

QColor fieldBorderColor(const QPalette &palette) {
    if (!isDark(palette)) return palette.color(QPalette::Window).darker(140);
    return palette.color(QPalette::Window).lighter(260);
}

QPalette lightPalette() {
    QPalette p;
    const QColor text(0x1d, 0x1d, 0x1f), window(0xf5, 0xf5, 0xf7), base(0xff, 0xff, 0xff);
    p.setColor(QPalette::Window, window);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, base);
    p.setColor(QPalette::AlternateBase, QColor(0xf3, 0xf4, 0xf6));
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Button, QColor(0xfb, 0xfb, 0xfc));
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::ToolTipBase, QColor(0xff, 0xff, 0xe8));
    p.setColor(QPalette::ToolTipText, text);
    p.setColor(QPalette::PlaceholderText, QColor(0x9a, 0x9d, 0xa6));
    p.setColor(QPalette::Highlight, accent());
    p.setColor(QPalette::HighlightedText, QColor(0x1d, 0x1d, 0x1f));
    p.setColor(QPalette::Link, QColor(0xd4, 0x8a, 0x00));
    p.setColor(QPalette::Light, QColor(0xff, 0xff, 0xff));
    p.setColor(QPalette::Midlight, QColor(0xe4, 0xe5, 0xe9));
    p.setColor(QPalette::Mid, QColor(0xc7, 0xc9, 0xcf));
    p.setColor(QPalette::Dark, QColor(0x9a, 0x9d, 0xa6));
    p.setColor(QPalette::Shadow, QColor(0x40, 0x40, 0x40));
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(QPalette::Disabled, role, QColor(0xa8, 0xaa, 0xb0));
    return p;
}

QPalette darkPalette() {
    QPalette p;
    const QColor text(0xec, 0xec, 0xee), window(0x1e, 0x1f, 0x23), base(0x1a, 0x1b, 0x1e);
    p.setColor(QPalette::Window, window);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, base);
    p.setColor(QPalette::AlternateBase, QColor(0x21, 0x22, 0x26));
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Button, QColor(0x2c, 0x2e, 0x33));
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::ToolTipBase, QColor(0x2c, 0x2e, 0x33));
    p.setColor(QPalette::ToolTipText, text);
    p.setColor(QPalette::PlaceholderText, QColor(0x7a, 0x7d, 0x86));
    p.setColor(QPalette::Highlight, accent());
    p.setColor(QPalette::HighlightedText, QColor(0x1d, 0x1d, 0x1f));
    p.setColor(QPalette::Link, accent());
    p.setColor(QPalette::Light, QColor(0x3a, 0x3c, 0x42));
    p.setColor(QPalette::Midlight, QColor(0x33, 0x35, 0x3b));
    p.setColor(QPalette::Mid, QColor(0x4a, 0x4d, 0x55));
    p.setColor(QPalette::Dark, QColor(0x12, 0x13, 0x15));
    p.setColor(QPalette::Shadow, QColor(0x00, 0x00, 0x00));
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(QPalette::Disabled, role, QColor(0x6a, 0x6d, 0x75));
    return p;
}

void applyApplicationStyle(QApplication &app) {
    const QByteArray theme = qgetenv("KELVANE_THEME").toLower();
    // Ask before changing the style: the desktop's own palette tells us its scheme.
    const bool dark = theme == "dark" || (theme != "light" && isDark(QApplication::palette()));
    if (QStyle *style = createStyle()) app.setStyle(style);
    app.setPalette(dark ? darkPalette() : lightPalette());
}

QStyle *createStyle() {
    QStyle *fusion = QStyleFactory::create(QStringLiteral("Fusion"));
    return fusion ? new FieldFrameStyle(fusion) : nullptr;
}

QFont titleFont() {
    QFont f = QApplication::font();
    f.setPointSizeF(f.pointSizeF() * 1.15);
    f.setWeight(QFont::DemiBold);
    return f;
}

QFont subtitleFont() {
    QFont f = QApplication::font();
    f.setPointSizeF(f.pointSizeF() * 0.95);
    return f;
}

QFont smallFont() {
    QFont f = QApplication::font();
    f.setPointSizeF(f.pointSizeF() * 0.85);
    return f;
}

QFont headerFont() {
    QFont f = QApplication::font();
    f.setPointSizeF(f.pointSizeF() * 0.8);
    f.setWeight(QFont::Bold);
    f.setLetterSpacing(QFont::PercentageSpacing, 108);
    f.setCapitalization(QFont::AllUppercase);
    return f;
}

QFont timeFont() {
    QFont f = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    f.setPointSizeF(QApplication::font().pointSizeF() * 0.85);
    return f;
}

void setTextColor(QWidget *widget, const QColor &color) {
    QPalette p = widget->palette();
    p.setColor(QPalette::WindowText, color);
    p.setColor(QPalette::Text, color);
    widget->setPalette(p);
}

} // namespace kelvane::Style
