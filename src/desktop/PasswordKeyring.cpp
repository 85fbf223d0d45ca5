#include "desktop/PasswordKeyring.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <qt6keychain/keychain.h>

namespace kelvane {

namespace {
const QString kService = QStringLiteral("Kelvane");
const QString kKey = QStringLiteral("mpd-password");

// The names QtKeychain talks to: the Secret Service (GNOME Keyring, KeePassXC...) and
// KWallet.
const QStringList keyringNames = {
    QStringLiteral("org.freedesktop.secrets"), QStringLiteral("org.kde.kwalletd6"),
    QStringLiteral("org.kde.kwalletd5"), QStringLiteral("org.kde.kwalletd")};

void later(PasswordVault::Done done, PasswordVault::Result result) {
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [done, result] { done(result, QString()); },
        Qt::QueuedConnection);
}

void start(QKeychain::Job *job, PasswordVault::Done done) {
    job->setAutoDelete(true);
    job->setKey(kKey);
    QObject::connect(job, &QKeychain::Job::finished, job, [done](QKeychain::Job *finished) {
        PasswordVault::Result result = PasswordVault::Result::Failed;
        QString text;
        if (finished->error() == QKeychain::NoError) {
            result = PasswordVault::Result::Ok;
            if (auto *read = qobject_cast<QKeychain::ReadPasswordJob *>(finished))
                text = read->textData();
        } else if (finished->error() == QKeychain::EntryNotFound) {
            result = PasswordVault::Result::NotFound;
        }
        done(result, text);
    });
    job->start();
}
} // namespace

bool PasswordKeyring::isPresent() {
    // Listing names starts nothing; only a call to one of them would. A connection of its
    // own, to the session bus of the moment, which it leaves as it found it.
    const QString name = QStringLiteral("kelvane-keyring-probe");
    bool present = false;
    {
        const QString address = qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS");
        const QDBusConnection bus =
            address.isEmpty() ? QDBusConnection::connectToBus(QDBusConnection::SessionBus, name)
                              : QDBusConnection::connectToBus(address, name);
        if (QDBusConnectionInterface *daemon = bus.isConnected() ? bus.interface() : nullptr) {
            const QDBusReply<QStringList> running = daemon->registeredServiceNames();
            const QDBusReply<QStringList> startable = daemon->activatableServiceNames();
            for (const QString &service : keyringNames)
                present = present || (running.isValid() && running.value().contains(service)) ||
                          (startable.isValid() && startable.value().contains(service));
        }
    }
    QDBusConnection::disconnectFromBus(name);
    return present;
}

void PasswordKeyring::read(Done done) {
    if (!isPresent()) return later(std::move(done), Result::Failed);
    start(new QKeychain::ReadPasswordJob(kService), std::move(done));
}

void PasswordKeyring::write(const QString &password, Done done) {
    if (!isPresent()) return later(std::move(done), Result::Failed);
    auto *job = new QKeychain::WritePasswordJob(kService);
    job->setTextData(password);
    start(job, std::move(done));
}

void PasswordKeyring::remove(Done done) {
    if (!isPresent()) return later(std::move(done), Result::Failed);
    start(new QKeychain::DeletePasswordJob(kService), std::move(done));
}

} // namespace kelvane
