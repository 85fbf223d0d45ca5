#pragma once

#include <QMap>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <vector>

namespace kelvane {

// The strings a notification carries ("close", "name", ...).
using NotificationInfo = QMap<QString, QString>;

// A small process-wide hub of named notifications: dialogs answer through it, the
// now-playing bar re-broadcasts its changes on it. Observers belong to a QObject and
// leave the hub when it is destroyed, so a closed view can never be called back.
// GUI thread: a post from another thread is handed to the GUI thread and delivered there.
class NotificationCenter {
  public:
    using Callback = std::function<void(const NotificationInfo &)>;

    static NotificationCenter &defaultCenter();

    // Calls callback for every post of name until owner is destroyed or removed.
    // Returns an id for removeObserver(id). The same owner may observe several names.
    quint64 observe(const QString &name, QObject *owner, Callback callback);
    void removeObserver(quint64 id);
    // Removes every observer of owner, or only those of one name.
    void removeObserver(QObject *owner);
    void removeObserver(QObject *owner, const QString &name);

    // Delivers synchronously, in registration order, to the observers present when
    // the post starts; one removed during the delivery is not called.
    void post(const QString &name, const NotificationInfo &info = {});

    int observerCount(const QString &name) const;

  private:
    NotificationCenter() = default;
    struct Observer {
        quint64 id;
        QString name;
        QPointer<QObject> owner;
        Callback callback;
    };
    void forgetOwner(QObject *owner);
    bool isRegistered(quint64 id) const;

    std::vector<Observer> m_observers;
    quint64 m_nextId = 1;
};

} // namespace kelvane
