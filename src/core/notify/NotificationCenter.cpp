#include "core/notify/NotificationCenter.h"

#include "core/thread/MainThread.h"

#include <algorithm>

namespace kelvane {

NotificationCenter &NotificationCenter::defaultCenter() {
    static NotificationCenter instance;
    return instance;
}

quint64 NotificationCenter::observe(const QString &name, QObject *owner, Callback callback) {
    if (!owner || !callback) return 0;
    const bool firstOfOwner = std::none_of(m_observers.begin(), m_observers.end(),
                                           [owner](const Observer &o) { return o.owner == owner; });
    const quint64 id = m_nextId++;
    m_observers.push_back({id, name, owner, std::move(callback)});
    if (firstOfOwner) {
        // The owner's destroyed() fires before its QPointer clears, so the entries are
        // dropped while owner still compares equal.
        QObject::connect(
            owner, &QObject::destroyed, owner, [this, owner] { forgetOwner(owner); },
            Qt::DirectConnection);
    }
    return id;
}

void NotificationCenter::removeObserver(quint64 id) {
    std::erase_if(m_observers, [id](const Observer &o) { return o.id == id; });
}

void NotificationCenter::removeObserver(QObject *owner) {
    forgetOwner(owner);
}

void NotificationCenter::removeObserver(QObject *owner, const QString &name) {
    std::erase_if(m_observers,
                  [&](const Observer &o) { return o.owner == owner && o.name == name; });
}

void NotificationCenter::forgetOwner(QObject *owner) {
    std::erase_if(m_observers,
                  [owner](const Observer &o) { return o.owner == owner || o.owner.isNull(); });
}

bool NotificationCenter::isRegistered(quint64 id) const {
    return std::any_of(m_observers.begin(), m_observers.end(),
                       [id](const Observer &o) { return o.id == id; });
}

void NotificationCenter::post(const QString &name, const NotificationInfo &info) {
    if (!isMainThread()) {
        postToMainThread([name, info] { defaultCenter().post(name, info); });
        return;
    }
    // A callback may add or remove observers (a dialog closing, a view rebuilt), so
    // deliver from a copy and check each entry is still registered before calling it.
    std::vector<Observer> targets;
    for (const Observer &o : m_observers)
        if (o.name == name && !o.owner.isNull()) targets.push_back(o);
    for (const Observer &o : targets) {
        if (o.owner.isNull() || !isRegistered(o.id)) continue;
        o.callback(info);
    }
}

int NotificationCenter::observerCount(const QString &name) const {
    return int(std::count_if(m_observers.begin(), m_observers.end(), [&](const Observer &o) {
        return o.name == name && !o.owner.isNull();
    }));
}

} // namespace kelvane
