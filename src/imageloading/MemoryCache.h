#pragma once

#include <QHash>
#include <QImage>
#include <QMutex>
#include <QString>
#include <list>

namespace kelvane {

// The memory level of the image cache (any thread; one lock). Bounded by the total cost
// of its images (bytes of decoded pixels) and optionally by their count; when a bound is
// passed the least recently used images go first. A limit of 0 means no limit.
class MemoryCache {
  public:
    MemoryCache() = default;
    MemoryCache(const MemoryCache &) = delete;
    MemoryCache &operator=(const MemoryCache &) = delete;

    QString name() const;
    void setName(const QString &name);

    // A hit makes the image the most recently used.
    QImage object(const QString &key);
    bool contains(const QString &key) const;
    // An image costlier than the whole limit is not kept (and evicts nothing).
    void setObject(const QString &key, const QImage &image, qint64 cost);
    void removeObject(const QString &key);
    // Every entry whose key starts with prefix.
    void removeObjectsWithPrefix(const QString &prefix);
    void removeAllObjects();

    qint64 totalCostLimit() const;
    void setTotalCostLimit(qint64 limit);
    qint64 countLimit() const;
    void setCountLimit(qint64 limit);

    qint64 totalCost() const;
    qint64 count() const;

  private:
    struct Entry {
        QString key;
        QImage image;
        qint64 cost = 0;
    };
    using List = std::list<Entry>;

    void evictLocked();
    void eraseLocked(List::iterator it);

    mutable QMutex m_lock;
    QString m_name;
    List m_entries; // most recently used first
    QHash<QString, List::iterator> m_index;
    qint64 m_totalCost = 0;
    qint64 m_totalCostLimit = 0;
    qint64 m_countLimit = 0;
};

} // namespace kelvane
