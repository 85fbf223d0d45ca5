#include "ui/views/radio/RadioItem.h"

#include "core/commands/MPDCommand.h"
#include "core/mpd/MPDCache.h"
#include "core/mpd/MPDServerError.h"
#include "core/radio/StreamPlaylist.h"
#include "core/radio/StreamResolver.h"
#include "core/streams/MPDStream.h"
#include "imageloading/ImageTarget.h"
#include "ui/base/Icons.h"
#include "ui/base/Style.h"
#include "ui/views/radio/FolderClick.h"
#include "ui/views/radio/RadioNotice.h"
#include "ui/views/radio/RadioOverCover.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QGraphicsDropShadowEffect>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QVBoxLayout>

namespace kelvane {

namespace {
QString value(const DirectoryItem &item, const char *key) {
    return item.value(QLatin1String(key));
}
} // namespace

RadioItem::RadioItem(QWidget *parent) : QWidget(parent) {
    setObjectName(QStringLiteral("RadioItem"));
    setFixedSize(itemSize);
    setFocusPolicy(Qt::StrongFocus);

    m_logoBox = new QWidget(this);
    m_logoBox->setFixedSize(logoSize);
    m_logoRadio = new QLabel(m_logoBox);
    m_logoRadio->setObjectName(QStringLiteral("logoRadio"));
    m_logoRadio->setGeometry(QRect(QPoint(0, 0), logoSize));
    m_logoRadio->setAlignment(Qt::AlignCenter);
    m_playMask = new RadioOverCover(m_logoBox);
    m_playMask->setGeometry(QRect(QPoint(0, 0), logoSize));

    m_labelRadio = new QLabel(this);
    m_labelRadio->setObjectName(QStringLiteral("labelRadio"));
    m_labelRadio->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    QFont nameFont = font();
    nameFont.setBold(true);
    m_labelRadio->setFont(nameFont);
    m_labelRadio->setFixedHeight(m_labelRadio->fontMetrics().height() + 2);

    m_subTextRadio = new QLabel(this);
    m_subTextRadio->setObjectName(QStringLiteral("subTextRadio"));
    m_subTextRadio->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_subTextRadio->setWordWrap(true);
    m_subTextRadio->setContentsMargins(0, 3, 0, 0);
    m_subTextRadio->setFont(Style::smallFont());
    Style::setTextColor(m_subTextRadio, Style::secondaryLabelColor());

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(3);
    layout->addWidget(m_logoBox, 0, Qt::AlignHCenter);
    layout->addSpacing(4);
    layout->addWidget(m_labelRadio);
    layout->addWidget(m_subTextRadio);
    layout->addStretch(1);

    m_logo = new ImageTarget(this);
    connect(m_logo, &ImageTarget::imageChanged, this, &RadioItem::showLogo);

    connect(m_playMask, &RadioOverCover::playClicked, this, &RadioItem::clickPlay);
    connect(m_playMask, &RadioOverCover::addClicked, this, &RadioItem::addToStream);
}

bool RadioItem::isLink() const {
    return value(m_item, "isLink") == Radio::yes();
}

void RadioItem::setRepresentedObject(const DirectoryItem &item) {
    m_item = item;
    const bool link = isLink();
    m_playMask->setVisible(!link);

    const QString name = value(item, "name");
    const QString subtext = value(item, "subtext");
    const int width = itemSize.width() - 8;
    m_labelRadio->setText(m_labelRadio->fontMetrics().elidedText(name, Qt::ElideRight, width));
    m_labelRadio->setToolTip(name);
    m_subTextRadio->setText(subtext);
    m_subTextRadio->setToolTip(subtext);
    setAccessibleName(link ? tr("Dossier %1").arg(name) : name);
    setAccessibleDescription(subtext);
    // Two lines, with room above for the accents of capitals (É) that rise past the ascent.
    m_subTextRadio->setMaximumHeight(2 * m_subTextRadio->fontMetrics().lineSpacing() + 6);

    const QString logo = value(item, "logo");
    if (!link) {
        const QImage noCover = Icons::image(QStringLiteral("no_cover"), logoSize);
        if (logo == QLatin1String("null")) {
            m_logo->cancelCurrentImageLoad();
            showLogo(noCover);
        } else {
            m_logo->setImageWithURL(QUrl(logo), noCover, 0, {}, logoSize * devicePixelRatioF());
        }
        auto *shadow = new QGraphicsDropShadowEffect(m_logoRadio);
        shadow->setBlurRadius(1.5);
        shadow->setOffset(0.5, 3.0); // drops downwards, as light from above
        shadow->setColor(QColor(0, 0, 0, int(0.6 * 255)));
        m_logoRadio->setGraphicsEffect(shadow);
        setCursor(Qt::ArrowCursor);
        setToolTip(QString());
    } else {
        m_logo->cancelCurrentImageLoad();
        m_logoRadio->setGraphicsEffect(nullptr);
        showLogo(Icons::image(QStringLiteral("folder"), QSize(96, 96)));
        setCursor(Qt::PointingHandCursor);
        setToolTip(tr("Double-cliquer pour ouvrir"));
    }
}

void RadioItem::showLogo(const QImage &image) {
    if (image.isNull()) {
        m_logoRadio->clear();
        return;
    }
    const qreal ratio = devicePixelRatioF();
    QPixmap pixmap = QPixmap::fromImage(image).scaled(logoSize * ratio, Qt::KeepAspectRatio,
                                                      Qt::SmoothTransformation);
    pixmap.setDevicePixelRatio(ratio);
    m_logoRadio->setPixmap(pixmap);
}

void RadioItem::mousePressEvent(QMouseEvent *event) {
    if (event->button() == Qt::LeftButton && isLink()) {
        clickFolder();
        return;
    }
    QWidget::mousePressEvent(event);
}

void RadioItem::activate() {
    if (isLink())
        openFolder();
    else
        clickPlay();
}

void RadioItem::keyPressEvent(QKeyEvent *event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        if (event->modifiers() & ~Qt::KeypadModifier) break;
        activate();
        event->accept();
        return;
    case Qt::Key_Left:
    case Qt::Key_Up:
        focusNextPrevChild(false);
        event->accept();
        return;
    case Qt::Key_Right:
    case Qt::Key_Down:
        focusNextPrevChild(true);
        event->accept();
        return;
    default:
        break;
    }
    QWidget::keyPressEvent(event);
}

void RadioItem::contextMenuEvent(QContextMenuEvent *event) {
    if (isLink()) {
        event->ignore();
        return;
    }
    QMenu menu(this);
    menu.addAction(tr("Écouter"), this, &RadioItem::clickPlay);
    menu.addAction(tr("Ajouter aux streams"), this, &RadioItem::addToStream);
    menu.exec(event->globalPos());
    event->accept();
}

void RadioItem::paintEvent(QPaintEvent *event) {
    QWidget::paintEvent(event);
    if (!hasFocus()) return;
    // The keyboard's item: a ring in the highlight colour, in either theme.
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
    painter.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 6, 6);
}

void RadioItem::focusInEvent(QFocusEvent *event) {
    QWidget::focusInEvent(event);
    update();
}

void RadioItem::focusOutEvent(QFocusEvent *event) {
    QWidget::focusOutEvent(event);
    update();
}

void RadioItem::clickFolder() {
    if (FolderClick::click()) openFolder();
}

void RadioItem::openFolder() {
    Radio radio;
    radio.setName(value(m_item, "name"));
    radio.setUrl(value(m_item, "url"));
    MPDCache::sMPDCache().radioLinkTrigger(radio);
}

// Resolution fetches up to two documents; it runs on the worker pool so the window
// stays live. What the user asked for still happens when the grid has changed page
// meanwhile, so the answer is tied to the application, not to this item.
void RadioItem::clickPlay() {
    // What is not a stream address is refused by the command, with an alert: the
    // queue stays as it was.
    StreamResolver::resolve(
        value(m_item, "url"), QCoreApplication::instance(),
        [](const QString &address) { MPDCommand::sMPDCommand().playStream(address); });
}

// "Stream ajouté" only when the list really grew: not connected, or a write the server
// refused, adds nothing and must not be announced as done.
void RadioItem::addToStream() {
    const QString name = value(m_item, "name");
    const QString subtext = value(m_item, "subtext");
    const QPointer<QWidget> window = this->window();
    StreamResolver::resolve(
        value(m_item, "url"), QCoreApplication::instance(),
        [window, name, subtext](const QString &address) {
            if (!StreamPlaylist::isPlayable(address)) {
                MPDServerError::sMPDServerError().sendMessage(
                    QString::fromLatin1(notAStreamMessage));
                return;
            }
            MPDStream::sMPDStream().addStream(
                Stream::entryText(address, name), [window, name, subtext](bool added) {
                    if (!added) return;
                    RadioNotice::toast(window, tr("Stream ajouté"),
                                       QStringLiteral("%1\n\n%2").arg(name, subtext));
                });
        });
}

} // namespace kelvane
