#pragma once

// AlbumBigCover — the large cover window: the album's "cover.jpg" fetched straight from
// the cover server (same address as the grid's, without the image cache), decoded off
// the GUI thread and shown above ordinary windows. Opening another replaces it; a failed
// fetch (an album without a cover) shows the placeholder and says there is none. Escape
// closes it.
// Thread: GUI (decoding on the global thread pool).
#include <QPointer>
#include <QUrl>
#include <QWidget>
#include <memory>

class QLabel;
class QNetworkAccessManager;
class QNetworkReply;

namespace kelvane {

class ImageCombinedOperation;

class AlbumBigCover : public QWidget {
    Q_OBJECT
  public:
    // Largest body accepted: a cover, not a film.
    static constexpr qint64 maxBytes = 32 * 1024 * 1024;

    explicit AlbumBigCover(const QUrl &url, const QString &title = {}, QWidget *parent = nullptr);
    ~AlbumBigCover() override;

    // Opens the window for url, closing the one opened before. A parent (the main window)
    // makes it close with the application.
    static AlbumBigCover *open(const QUrl &url, const QString &title = {},
                               QWidget *parent = nullptr);
    static AlbumBigCover *current() { return s_current; }

    QUrl url() const { return m_url; }
    // The cover arrived; hasPlaceholder: there is none, and the window says so.
    bool hasPicture() const;
    bool hasPlaceholder() const { return m_noteShown; }
    QLabel *cover() const { return m_cover; }
    QLabel *note() const { return m_note; }
    void close();

  Q_SIGNALS:
    // The fetch ended (with or without a picture).
    void finished(bool gotPicture);

  protected:
    void keyPressEvent(QKeyEvent *event) override;

  private:
    void fetch();
    void showPicture(const QImage &image);
    void showMissing();

    QUrl m_url;
    QLabel *m_cover = nullptr;
    QLabel *m_note = nullptr;
    bool m_noteShown = false;
    QNetworkAccessManager *m_network = nullptr;
    QPointer<QNetworkReply> m_reply;
    std::shared_ptr<ImageCombinedOperation> m_chainLoad;
    static inline QPointer<AlbumBigCover> s_current;
};

} // namespace kelvane
