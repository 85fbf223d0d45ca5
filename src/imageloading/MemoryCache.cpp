#include "imageloading/MemoryCache.h"

#include <iterator>

namespace kelvane {

QString MemoryCache::name() const {
    QMutexLocker locker(&m_lock);
    return m_name;
}

void MemoryCache::setName(const QString &name) {
    QMutexLocker locker(&m_lock);
    m_name = name;
}

QImage MemoryCache::object(const QString &key) {
    QMutexLocker locker(&m_lock);
    const auto found = m_index.constFind(key);
    if (found == m_index.cend()) return {};
    m_entries.splice(m_entries.begin(), m_entries, found.value());
    return m_entries.front().image;
}

bool MemoryCache::contains(const QString &key) const {
    QMutexLocker locker(&m_lock);
    return m_index.contains(key);
}

void MemoryCache::setObject(const QString &key, const QImage &image, qint64 cost) {
    if (image.isNull()) {
        removeObject(key);
        return;
    }
    cost = qMax<qint64>(0, cost);
    QMutexLocker locker(&m_lock);
    if (auto found = m_index.find(key); found != m_index.end()) eraseLocked(found.value());
    if (m_totalCostLimit > 0 && cost > m_totalCostLimit) return;
    m_entries.push_front(Entry{key, image, cost});
    m_index.insert(key, m_entries.begin());
    m_totalCost += cost;
    evictLocked();
}

void MemoryCache::removeObject(const QString &key) {
    QMutexLocker locker(&m_lock);
    if (auto found = m_index.find(key); found != m_index.end()) eraseLocked(found.value());
}

void MemoryCache::removeObjectsWithPrefix(const QString &prefix) {
    QMutexLocker locker(&m_lock);
    for (auto it = m_entries.begin(); it != m_entries.end();) {
        const auto next = std::next(it);
        if (it->key.startsWith(prefix)) eraseLocked(it);
        it = next;
    }
}

void MemoryCache::removeAllObjects() {
    QMutexLocker locker(&m_lock);
    m_entries.clear();
    m_index.clear();
    m_totalCost = 0;
}

qint64 MemoryCache::totalCostLimit() const {
    QMutexLocker locker(&m_lock);
    return m_totalCostLimit;
}

void MemoryCache::setTotalCostLimit(qint64 limit) {
    QMutexLocker locker(&m_lock);
    m_totalCostLimit = qMax<qint64>(0, limit);
    evictLocked();
}

qint64 MemoryCache::countLimit() const {
    QMutexLocker locker(&m_lock);
    return m_countLimit;
}

void MemoryCache::setCountLimit(qint64 limit) {
    QMutexLocker locker(&m_lock);
    m_countLimit = qMax<qint64>(0, limit);
    evictLocked();
}

qint64 MemoryCache::totalCost() const {
    QMutexLocker locker(&m_lock);
    return m_totalCost;
}

qint64 MemoryCache::count() const {
    QMutexLocker locker(&m_lock);
    return qint64(m_entries.size());
}

void MemoryCache::evictLocked() {
    while (!m_entries.empty() && ((m_totalCostLimit > 0 && m_totalCost > m_totalCostLimit) ||
                                  (m_countLimit > 0 && qint64(m_entries.size()) > m_countLimit)))
        eraseLocked(std::prev(m_entries.end()));
}

void MemoryCache::eraseLocked(List::iterator it) {
    m_totalCost -= it->cost;
    m_index.remove(it->key);
    m_entries.erase(it);
}

} // namespace kelvane
