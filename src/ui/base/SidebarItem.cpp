#include "ui/base/SidebarItem.h"

#include "ui/base/Style.h"

#include <QEvent>
#include <QLabel>
#include <QToolButton>

namespace kelvane {

SidebarItem::SidebarItem(QWidget *parent)
    : QWidget(parent), m_imageView(new QLabel(this)), m_textField(new QLabel(this)),
      m_button(new QToolButton(this)) {
    setAttribute(Qt::WA_TranslucentBackground);
    m_textField->setTextFormat(Qt::PlainText);
    m_textField->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_imageView->setAttribute(Qt::WA_TransparentForMouseEvents);
    // The badge informs, it is not a control: clicks go to the row beneath.
    m_button->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_button->setFocusPolicy(Qt::NoFocus);
    m_button->setAutoRaise(true);
    m_button->setFont(Style::smallFont());
    m_button->hide();
    applyColours();
    baseLayout();
}

void SidebarItem::setIcon(const QIcon &icon) {
    m_icon = icon;
    const QIcon::Mode mode = m_selected ? QIcon::Selected : QIcon::Normal;
    m_imageView->setPixmap(icon.pixmap(QSize(iconSize, iconSize), devicePixelRatioF(), mode));
}

void SidebarItem::setText(const QString &text) {
    m_textField->setText(text);
    m_textField->setToolTip(text);
}

void SidebarItem::setBadge(const QString &text) {
    if (text.isNull()) {
        m_button->hide();
        baseLayout();
        return;
    }
    m_button->setText(text);
    m_button->show();
    viewWillDraw();
}

void SidebarItem::setSelected(bool selected) {
    if (m_selected == selected) return;
    m_selected = selected;
    applyColours();
    setIcon(m_icon);
}

void SidebarItem::applyColours() {
    const QPalette app = palette();
    const QColor text =
        m_selected ? app.color(QPalette::HighlightedText) : app.color(QPalette::WindowText);
    Style::setTextColor(m_textField, text);
    const QColor badgeText = m_selected ? text : Style::secondaryLabelColor();
    const QColor badgeBack = m_selected ? QColor(0, 0, 0, 40) : QColor(128, 128, 128, 55);
    m_button->setStyleSheet(QStringLiteral("QToolButton { color: %1; background: rgba(%2,%3,%4,%5);"
                                           " border: none; border-radius: 8px; padding: 1px 7px; }")
                                .arg(badgeText.name())
                                .arg(badgeBack.red())
                                .arg(badgeBack.green())
                                .arg(badgeBack.blue())
                                .arg(badgeBack.alpha()));
}

void SidebarItem::baseLayout() {
    const int h = height();
    m_imageView->setGeometry(6, (h - iconSize) / 2, iconSize, iconSize);
    const int textX = 6 + iconSize + 10;
    const int textH = m_textField->sizeHint().height();
    m_textField->setGeometry(textX, (h - textH) / 2, std::max(0, width() - textX), textH);
}

void SidebarItem::viewWillDraw() {
    if (m_button->isHidden()) return;
    m_button->adjustSize();
    const int bh = std::min(m_button->height(), std::max(0, height() - 4));
    m_button->setGeometry(width() - m_button->width(), (height() - bh) / 2, m_button->width(), bh);
    const QRect t = m_textField->geometry();
    m_textField->setGeometry(t.x(), t.y(), std::max(0, m_button->x() - t.x()), t.height());
}

void SidebarItem::resizeEvent(QResizeEvent *) {
    baseLayout();
    viewWillDraw();
}

bool SidebarItem::event(QEvent *e) {
    if (e->type() == QEvent::PaletteChange || e->type() == QEvent::ApplicationPaletteChange) {
        applyColours();
        setIcon(m_icon);
    }
    return QWidget::event(e);
}

} // namespace kelvane
