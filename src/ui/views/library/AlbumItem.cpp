#include "ui/views/library/AlbumItem.h"

#include "core/commands/MPDCommand.h"
#include "core/library/CoverAddress.h"
#include "core/library/MPDAlbum.h"
#include "core/library/MPDQueue.h"
#include "core/mpd/MPDBulk.h"
#include "core/mpd/MPDCache.h"
#include "covers/CoverChain.h"
#include "ui/views/library/AlbumBigCover.h"
#include "ui/views/library/AlbumListModel.h"
#include "ui/views/library/AlbumOverCover.h"
#include "ui/views/library/AlbumPopover.h"
#include "ui/views/library/LibraryStyle.h"
#include "ui/views/library/LibraryText.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QTimer>

namespace kelvane {

namespace {
constexpr int textGap = 7;
constexpr int lineGap = 1;
constexpr int playSide = 44;
constexpr int coverButtonSide = 30;
constexpr int buttonInset = 10;
// The cover's shadow: blur 2.5, offset 1.5 right and 2 down, black at 60 %.
constexpr qreal shadowBlur = 2.5;
constexpr qreal shadowDx = 1.5;
constexpr qreal shadowDy = 2.0;
constexpr int shadowPad = 6;

// Three box passes approximate a gaussian; only the alpha matters (the shadow is black).
void blurAlpha(QImage &image, int radius) {
    if (radius < 1) return;
    const int w = image.width(), h = image.height();
    QList<int> line(std::max(w, h));
    for (int pass = 0; pass < 3; ++pass) {
        for (int y = 0; y < h; ++y) {
            auto *row = reinterpret_cast<QRgb *>(image.scanLine(y));
            for (int x = 0; x < w; ++x)
                line[x] = qAlpha(row[x]);
            for (int x = 0; x < w; ++x) {
                int sum = 0, n = 0;
                for (int k = std::max(0, x - radius); k <= std::min(w - 1, x + radius); ++k, ++n)
                    sum += line[k];
                row[x] = qRgba(0, 0, 0, sum / n);
            }
        }
        for (int x = 0; x < w; ++x) {
            for (int y = 0; y < h; ++y)
                line[y] = qAlpha(reinterpret_cast<const QRgb *>(image.constScanLine(y))[x]);
            for (int y = 0; y < h; ++y) {
                int sum = 0, n = 0;
                for (int k = std::max(0, y - radius); k <= std::min(h - 1, y + radius); ++k, ++n)
                    sum += line[k];
                reinterpret_cast<QRgb *>(image.scanLine(y))[x] = qRgba(0, 0, 0, sum / n);
            }
        }
    }
}
} // namespace

AlbumItem::AlbumItem(AlbumListModel *model, AlbumOverCover *overCover, QAbstractItemView *view)
    : QStyledItemDelegate(view), m_model(model), m_overCover(overCover), m_view(view) {
    m_nameFont = QApplication::font();
    m_nameFont.setBold(true);
    m_artistFont = QApplication::font();
    m_artistFont.setPointSizeF(m_artistFont.pointSizeF() * 0.92);
    m_popoverDelay = new QTimer(this);
    m_popoverDelay->setSingleShot(true);
    m_popoverDelay->setInterval(200);
    connect(m_popoverDelay, &QTimer::timeout, this, &AlbumItem::onPopoverDelay);
}

AlbumItem::Geometry AlbumItem::geometry(const QRect &cell, const QFontMetrics &nameMetrics,
                                        const QFontMetrics &artistMetrics) {
    Geometry g;
    g.cover = QRect(cell.left() + (cell.width() - coverSide) / 2, cell.top() + margin, coverSide,
                    coverSide);
    g.playerButton = QRect(g.cover.left() + buttonInset,
                           g.cover.bottom() + 1 - buttonInset - playSide, playSide, playSide);
    const int coverButtonOffset = (playSide - coverButtonSide) / 2;
    g.showCover = QRect(g.cover.right() + 1 - buttonInset - coverButtonSide,
                        g.playerButton.top() + coverButtonOffset, coverButtonSide, coverButtonSide);
    g.name = QRect(g.cover.left(), g.cover.bottom() + 1 + textGap, coverSide, nameMetrics.height());
    g.artist =
        QRect(g.cover.left(), g.name.bottom() + 1 + lineGap, coverSide, artistMetrics.height());
    return g;
}

AlbumItem::Geometry AlbumItem::geometry(const QRect &cell) const {
    return geometry(cell, QFontMetrics(m_nameFont), QFontMetrics(m_artistFont));
}

QSize AlbumItem::minimumCellSize() const {
    const QFontMetrics name(m_nameFont), artist(m_artistFont);
    return {coverSide + 2 * margin,
            margin + coverSide + textGap + name.height() + lineGap + artist.height() + margin};
}

QSize AlbumItem::sizeHint(const QStyleOptionViewItem &, const QModelIndex &) const {
    return minimumCellSize();
}

QPixmap AlbumItem::shadow(qreal devicePixelRatio) const {
    if (!m_shadow.isNull() && qFuzzyCompare(m_shadow.devicePixelRatio(), devicePixelRatio))
        return m_shadow;
    const int side = int((coverSide + 2 * shadowPad) * devicePixelRatio);
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        const qreal pad = shadowPad * devicePixelRatio;
        painter.fillRect(
            QRectF(pad, pad, coverSide * devicePixelRatio, coverSide * devicePixelRatio),
            QColor(0, 0, 0, 153));
    }
    blurAlpha(image, std::max(1, int(shadowBlur * devicePixelRatio / 2 + 0.5)));
    m_shadow = QPixmap::fromImage(std::move(image));
    m_shadow.setDevicePixelRatio(devicePixelRatio);
    return m_shadow;
}

void AlbumItem::paint(QPainter *painter, const QStyleOptionViewItem &option,
                      const QModelIndex &index) const {
    const Geometry g = geometry(option.rect);
    const qreal dpr = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
    painter->save();
    if (option.state & QStyle::State_Selected) {
        QColor highlight = option.palette.color(QPalette::Highlight);
        highlight.setAlphaF(0.25f);
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setPen(Qt::NoPen);
        painter->setBrush(highlight);
        painter->drawRoundedRect(QRectF(option.rect).adjusted(3, 3, -3, -3), 6, 6);
    }
    if (option.state & QStyle::State_HasFocus) {
        // The keyboard's cell, selected or not: a ring in the highlight colour, drawn at
        // full strength so it reads in the light and the dark theme alike.
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setPen(QPen(option.palette.color(QPalette::Highlight), 2));
        painter->setBrush(Qt::NoBrush);
        painter->drawRoundedRect(QRectF(option.rect).adjusted(2, 2, -2, -2), 6, 6);
    }
    painter->drawPixmap(
        QPointF(g.cover.left() - shadowPad + shadowDx, g.cover.top() - shadowPad + shadowDy),
        shadow(dpr));
    // The image the cache holds, drawn without a copy: only its middle when it is longer
    // one way than the cell.
    const QImage cover = index.data(Qt::DecorationRole).value<QImage>();
    if (!cover.isNull())
        painter->drawImage(g.cover, cover,
                           AlbumListModel::coverSource(cover, m_model->coverSize()));

    const qreal playOpacity = m_overCover ? m_overCover->playerButtonOpacity(index.row()) : 0;
    // The cover button only over a cover: the placeholder has nothing to enlarge.
    const bool hasCover = index.data(AlbumListModel::CoverLoadedRole).toBool();
    const qreal coverOpacity =
        m_overCover && hasCover ? m_overCover->showCoverOpacity(index.row()) : 0;
    if (playOpacity > 0 || coverOpacity > 0) paintButtons(painter, g, playOpacity, coverOpacity);

    const auto [name, artist] = cellTexts(index);
    const QFontMetrics nameMetrics(m_nameFont), artistMetrics(m_artistFont);
    painter->setFont(m_nameFont);
    painter->setPen(option.palette.color(QPalette::Text));
    painter->drawText(g.name, Qt::AlignLeft | Qt::AlignVCenter,
                      nameMetrics.elidedText(name, Qt::ElideRight, g.name.width()));
    painter->setFont(m_artistFont);
    painter->setPen(librarystyle::secondaryColour(option.palette));
    painter->drawText(g.artist, Qt::AlignLeft | Qt::AlignVCenter,
                      artistMetrics.elidedText(artist, Qt::ElideRight, g.artist.width()));
    painter->restore();
}

QPair<QString, QString> AlbumItem::cellTexts(const QModelIndex &index) {
    const QVariant name = index.data(Qt::DisplayRole);
    if (!name.isValid()) return {QStringLiteral("No Value"), QStringLiteral("No Value")};
    return {name.toString(), index.data(AlbumListModel::ArtistRole).toString()};
}

void AlbumItem::paintButtons(QPainter *painter, const Geometry &g, qreal playOpacity,
                             qreal coverOpacity) const {
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(Qt::NoPen);
    if (playOpacity > 0) {
        painter->setOpacity(playOpacity);
        painter->setBrush(QColor(0, 0, 0, 150));
        painter->drawEllipse(g.playerButton);
        const QRectF r = QRectF(g.playerButton).adjusted(15, 12, -11, -12);
        QPainterPath triangle;
        triangle.moveTo(r.topLeft());
        triangle.lineTo(r.right(), r.center().y());
        triangle.lineTo(r.bottomLeft());
        triangle.closeSubpath();
        painter->setBrush(librarystyle::playingColour());
        painter->drawPath(triangle);
    }
    if (coverOpacity > 0) {
        painter->setOpacity(coverOpacity);
        painter->setBrush(QColor(0, 0, 0, 150));
        painter->drawEllipse(g.showCover);
        // Two corner arrows: "enlarge".
        QPen pen(Qt::white, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        painter->setPen(pen);
        painter->setBrush(Qt::NoBrush);
        const QRectF r = QRectF(g.showCover).adjusted(9, 9, -9, -9);
        const qreal arm = r.width() * 0.45;
        painter->drawPolyline(
            QPolygonF{{r.left(), r.top() + arm}, r.topLeft(), {r.left() + arm, r.top()}});
        painter->drawPolyline(QPolygonF{
            {r.right(), r.bottom() - arm}, r.bottomRight(), {r.right() - arm, r.bottom()}});
        painter->drawLine(r.topLeft(), r.center() - QPointF(1, 1));
        painter->drawLine(r.bottomRight(), r.center() + QPointF(1, 1));
        painter->setPen(Qt::NoPen);
    }
    painter->setOpacity(1.0);
}

bool AlbumItem::editorEvent(QEvent *event, QAbstractItemModel *model,
                            const QStyleOptionViewItem &option, const QModelIndex &index) {
    if (event->type() != QEvent::MouseButtonRelease)
        return QStyledItemDelegate::editorEvent(event, model, option, index);
    auto *mouse = static_cast<QMouseEvent *>(event);
    if (mouse->button() != Qt::LeftButton || !m_view) return false;
    const QPoint pos = mouse->position().toPoint();
    const Geometry g = geometry(option.rect);
    const int row = index.row();
    const bool buttonsShown = m_overCover && m_overCover->hoveredRow() == row;
    if (buttonsShown && QRegion(g.playerButton, QRegion::Ellipse).contains(pos)) {
        clickPlay(row);
        return true;
    }
    if (buttonsShown && index.data(AlbumListModel::CoverLoadedRole).toBool() &&
        QRegion(g.showCover, QRegion::Ellipse).contains(pos)) {
        clickMaximize(row);
        return true;
    }
    if (g.cover.contains(pos)) {
        const QRect anchor(m_view->viewport()->mapToGlobal(g.cover.topLeft()), g.cover.size());
        clickAlbum(row, anchor);
        return true;
    }
    return false;
}

void AlbumItem::clickPlay(int row) {
    if (row < 0 || row >= m_model->rowCount()) return;
    // The album's own name, absent included: an album without an Album tag plays the
    // directory's untagged songs, not the songs tagged with the "inconnu" it shows.
    const Album album = m_model->album(row);
    MPDCommand::sMPDCommand().playAlbum(album.albumName, album.path, MPDCommand::noPosition);
}

void AlbumItem::clickAlbum(int row, const QRect &anchor) {
    if (row < 0 || row >= m_model->rowCount()) return;
    // The second click of a double click on the same cover: the popover is on its way.
    if ((m_popoverDelay->isActive() || !m_contentReady) && m_popoverRow == row) return;
    const Album album = m_model->album(row);
    m_popoverRow = row;
    m_popoverAnchor = anchor;
    m_contentReady = false;
    m_popoverDelay->start();
    const quint64 ticket = ++m_contentTicket;
    MPDBulk::sMPDBulk().run(
        this, [album] { return MPDAlbum::sMPDAlbum().getAlbumContent(album); },
        [this, ticket, name = album.albumName](std::optional<QList<Song>> content) {
            if (ticket != m_contentTicket) return;
            // The songs this album's play and append take: a directory may hold another
            // album.
            if (content) content = songsOfAlbum(*content, name);
            s_songCount = content ? content->size() : 0;
            MPDCache::sMPDCache().setAlbumContentArray(std::move(content));
            m_contentReady = true;
            if (!m_popoverDelay->isActive()) showPendingPopover();
        });
}

void AlbumItem::onPopoverDelay() {
    if (m_contentReady) showPendingPopover();
}

void AlbumItem::showPendingPopover() {
    QRect anchor = m_popoverAnchor;
    if (m_view && m_popoverRow >= 0 && m_popoverRow < m_model->rowCount()) {
        // A click on a cover the grid's edge cuts scrolls it into view, a moment later
        // (after the double-click time): scroll now, and place the popover beside the
        // cover where it then stays.
        const QModelIndex index = m_model->index(m_popoverRow);
        m_view->scrollTo(index);
        const QRect cover = geometry(m_view->visualRect(index)).cover;
        anchor = QRect(m_view->viewport()->mapToGlobal(cover.topLeft()), cover.size());
    }
    displayPopover(anchor);
}

void AlbumItem::displayPopover(const QRect &anchor) {
    AlbumPopover::display(m_view ? m_view->window() : nullptr, anchor, s_songCount);
}

void AlbumItem::clickMaximize(int row) {
    if (row < 0 || row >= m_model->rowCount()) return;
    const Album album = m_model->album(row);
    // The grid's own source: the large picture comes from where the cell's came.
    const QUrl address = CoverChain::serverCoversEnabled()
                             ? CoverRequest::address(album.path, album.firstSong)
                             : CoverAddress::gridAddress(album.path);
    AlbumBigCover::open(address, librarytext::displayName(album.albumName),
                        m_view ? m_view->window() : nullptr);
}

QList<Song> AlbumItem::songsOfAlbum(const QList<Song> &content, const QString &albumName) {
    QList<Song> songs;
    for (const Song &song : content) {
        const bool belongs =
            albumName.isNull() ? song.album().isEmpty() : song.album() == albumName;
        if (belongs) songs.append(song);
    }
    return songs;
}

void AlbumItem::addToQueue(int row) {
    if (row < 0 || row >= m_model->rowCount()) return;
    const Album album = m_model->album(row);
    MPDBulk::sMPDBulk().run(
        this, [album] { return MPDAlbum::sMPDAlbum().getAlbumContent(album); },
        [name = album.albumName](std::optional<QList<Song>> content) {
            // Only this album's songs: a directory may hold another album too.
            if (content) MPDQueue::sMPDQueue().addToQueue(songsOfAlbum(*content, name));
        });
}

} // namespace kelvane
