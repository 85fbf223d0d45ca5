#pragma once

#include "imageloading/ImageLoadOptions.h"

#include <QHash>
#include <QImage>
#include <QObject>
#include <QUrl>
#include <functional>
#include <memory>

namespace kelvane {

class ImageCombinedOperation;
class ImageManager;

// (image or null, error or null, where the image came from, URL) — application's thread.
using ImageBindingCompletion = std::function<void(const QImage &image, const ImageError &error,
                                                  ImageCacheSource source, const QUrl &url)>;

// Binds loaded images to many display targets, each named by a key the caller picks (a
// row's id, an album's index in a list, or the address of the widget that shows the
// picture, through keyOf()). Application's thread only; no widgets involved.
//
// For each key the binding keeps what should be shown now (image()) and at most one
// load. setImageWithURL():
//   - cancels the load the key had, so a reused cell never receives the image of the
//     album it showed before (a late answer for an older URL is dropped as well);
//   - shows the placeholder at once (imageChanged is emitted before the call returns);
//   - shows the image when it arrives: before the call returns when it is in the memory
//     cache, otherwise later through imageChanged; a failed load leaves the placeholder.
// imageChanged is emitted only when the shown image really changes.
//
// Use from a QAbstractItemModel that shows thousands of covers, loading only what is on
// screen (the view asks data() for visible cells only):
//
//     // AlbumModel has: ImageBinding m_covers; QImage m_noCover;
//     AlbumModel::AlbumModel(QObject *parent) : QAbstractListModel(parent) {
//         // Queued, because the signal may fire from inside data() (placeholder, memory hit).
//         connect(&m_covers, &ImageBinding::imageChanged, this, [this](quint64 row) {
//             const QModelIndex i = index(int(row));
//             Q_EMIT dataChanged(i, i, {Qt::DecorationRole});
//         }, Qt::QueuedConnection);
//     }
//     QVariant AlbumModel::data(const QModelIndex &index, int role) const {
//         if (role == Qt::DecorationRole) {
//             const quint64 key = quint64(index.row());
//             const QUrl url = coverUrl(m_albums[index.row()]);
//             if (m_covers.imageURL(key) != url || !m_covers.contains(key))
//                 m_covers.setImageWithURL(key, url, m_noCover, 0, {}, cellPixels);
//             return m_covers.image(key);
//         }
//         ...
//     }
//     // When rows scroll out of sight (e.g. from the view's scroll signal, comparing the
//     // rows still visible with those requested), drop their loads and their images:
//     void AlbumModel::rowsHidden(int first, int last) {
//         for (int row = first; row <= last; ++row)
//             m_covers.forget(quint64(row));
//     }
//     // When the album list is replaced, start over: m_covers.forgetAll();
//
// The images themselves stay in the image cache (memory, bounded, then disk), so a row
// that comes back into view gets its cover again at once from memory.
class ImageBinding : public QObject {
    Q_OBJECT
  public:
    using Key = quint64;
    static Key keyOf(const void *owner) { return Key(quintptr(owner)); }

    // Loads through manager, or through the shared manager when none is given.
    explicit ImageBinding(QObject *parent = nullptr, ImageManager *manager = nullptr);
    ~ImageBinding() override;

    // See the class comment. An empty URL shows the placeholder and reports
    // ImageErrorDomain -1 "Trying to load a nil url" to completed. The completion, when
    // given, is called once the load ends (also for every partial result with
    // LoadAvoidAutoSetImage), never for a load that was cancelled or superseded.
    // targetSize is the size the key's view shows the picture at, in device pixels: the
    // picture arrives decoded for it (see ImageManager::loadImageWithURL); invalid means
    // full size.
    void setImageWithURL(Key key, const QUrl &url, const QImage &placeholder = QImage(),
                         ImageLoadOptions options = 0, ImageBindingCompletion completed = {},
                         QSize targetSize = {});

    // Stops the key's load; what is shown stays.
    void cancelCurrentImageLoad(Key key);
    // Stops the key's load and forgets the key (its image, URL), e.g. for a cell that
    // scrolled away. image(key) is null afterwards.
    void forget(Key key);
    void forgetAll();

    bool contains(Key key) const { return m_slots.contains(key); }
    // What the key shows now: the placeholder, the loaded image, or null.
    QImage image(Key key) const;
    // The URL last given for the key.
    QUrl imageURL(Key key) const;
    bool isLoading(Key key) const;
    // Keys with a load in flight.
    qsizetype loadingCount() const;

  Q_SIGNALS:
    void imageChanged(quint64 key, const QImage &image);

  private:
    struct Slot {
        QUrl url;
        QImage shown;
        std::shared_ptr<ImageCombinedOperation> operation;
        quint64 generation = 0;
        bool loading = false;
    };

    void show(Key key, const QImage &image);
    void loadEnded(Key key, quint64 generation, const QImage &image, const ImageError &error,
                   ImageCacheSource source, bool finished, const QUrl &url,
                   ImageLoadOptions options, const QImage &placeholder,
                   const ImageBindingCompletion &completed);

    ImageManager *m_manager;
    QHash<Key, Slot> m_slots;
    quint64 m_generation = 0;
};

} // namespace kelvane
