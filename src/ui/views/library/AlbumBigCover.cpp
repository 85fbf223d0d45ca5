#include "ui/views/library/AlbumBigCover.h"

#include "covers/CoverChain.h"
#include "imageloading/ImageCombinedOperation.h"
#include "ui/views/library/LibraryStyle.h"

#include <QGuiApplication>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPixmap>
#include <QPointer>
#include <QScreen>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>

namespace kelvane {

AlbumBigCover::AlbumBigCover(const QUrl &url, const QString &title, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint), m_url(url) {
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("windowBigCover"));
    setWindowTitle(title.isEmpty() ? tr("Pochette") : title);
    m_cover = new QLabel(this);
    m_cover->setAlignment(Qt::AlignCenter);
    m_cover->setMinimumSize(200, 200);
    m_note = new QLabel(this);
    m_note->setObjectName(QStringLiteral("bigCoverNote"));
    m_note->setAlignment(Qt::AlignCenter);
    m_note->setWordWrap(true);
    m_note->hide();
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_cover, 1);
    layout->addWidget(m_note);
    resize(600, 600);
    m_network = new QNetworkAccessManager(this);
    // Whatever ends the fetch without a picture, the window says so rather than stay
    // blank.
    connect(this, &AlbumBigCover::finished, this, [this](bool gotPicture) {
        if (!gotPicture) showMissing();
    });
    fetch();
}

AlbumBigCover::~AlbumBigCover() {
    if (m_reply) m_reply->abort();
    if (m_chainLoad) m_chainLoad->cancel();
}

AlbumBigCover *AlbumBigCover::open(const QUrl &url, const QString &title, QWidget *parent) {
    if (s_current) s_current->close();
    auto *window = new AlbumBigCover(url, title, parent);
    s_current = window;
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

bool AlbumBigCover::hasPicture() const {
    return !m_noteShown && !m_cover->pixmap().isNull();
}

void AlbumBigCover::close() {
    QWidget::close();
}

void AlbumBigCover::fetch() {
    if (const auto request = CoverRequest::parse(m_url)) {
        // Full size, from wherever the grid's cover came: the chain decodes off this
        // thread and answers here.
        m_chainLoad = CoverChain::sCoverChain().loadCover(
            *request, {}, [this](const QImage &image, CoverOrigin) { showPicture(image); });
        return;
    }
    if (!m_url.isValid() || m_url.isEmpty()) {
        QMetaObject::invokeMethod(
            this, [this] { Q_EMIT finished(false); }, Qt::QueuedConnection);
        return;
    }
    QNetworkRequest request(m_url);
    request.setTransferTimeout(15000);
    m_reply = m_network->get(request);
    connect(m_reply, &QNetworkReply::downloadProgress, this, [this](qint64 received, qint64 total) {
        if ((received > maxBytes || total > maxBytes) && m_reply) m_reply->abort();
    });
    connect(m_reply, &QNetworkReply::finished, this, [this] {
        QNetworkReply *reply = m_reply;
        if (!reply) return;
        reply->deleteLater();
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        if (reply->error() != QNetworkReply::NoError || status >= 400) {
            Q_EMIT finished(false);
            return;
        }
        const QByteArray body = reply->readAll();
        // A large JPEG takes tens of milliseconds to decode: not on the GUI thread.
        QPointer<AlbumBigCover> self(this);
        auto decoding = QtConcurrent::run([body] { return QImage::fromData(body); });
        decoding.then(this, [self](const QImage &image) {
            if (self) self->showPicture(image);
        });
    });
}

void AlbumBigCover::showPicture(const QImage &image) {
    if (image.isNull()) {
        Q_EMIT finished(false);
        return;
    }
    const QRect area = screen() ? screen()->availableGeometry() : QRect(0, 0, 1280, 800);
    const QSize fit =
        image.size().scaled(area.size() * 0.85, Qt::KeepAspectRatio).boundedTo(image.size());
    const QSize shown = fit.expandedTo(QSize(200, 200));
    QPixmap picture = QPixmap::fromImage(
        image.scaled(fit * devicePixelRatioF(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
    picture.setDevicePixelRatio(devicePixelRatioF());
    m_cover->setPixmap(picture);
    resize(shown);
    Q_EMIT finished(true);
}

void AlbumBigCover::showMissing() {
    const QSize side(200, 200);
    m_cover->setPixmap(librarystyle::pixmap(QStringLiteral("no_cover"), side, devicePixelRatioF()));
    m_note->setText(tr("Cet album n'a pas de pochette."));
    m_note->show();
    m_noteShown = true;
    layout()->setContentsMargins(24, 24, 24, 24);
    resize(minimumSizeHint().expandedTo(QSize(320, 300)));
}

void AlbumBigCover::keyPressEvent(QKeyEvent *event) {
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace kelvane
