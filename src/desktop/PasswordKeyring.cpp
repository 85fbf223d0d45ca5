#include "desktop/PasswordKeyring.h"

#include <QEventLoop>
#include <QTimer>
#include <qt6keychain/keychain.h>

namespace kelvane {

namespace {
const QString kService = QStringLiteral("Kelvane");
const QString kKey = QStringLiteral("mpd-password");

// Runs the job to its end or to the time-out; a job cut short counts as no keyring and
// deletes itself whenever the keyring answers after all.
PasswordVault::Result run(QKeychain::Job *job, int timeoutMs, QString *text = nullptr) {
    job->setAutoDelete(false);
    job->setKey(kKey);
    QEventLoop loop;
    bool finished = false;
    QObject::connect(job, &QKeychain::Job::finished, &loop, [&] {
        finished = true;
        loop.quit();
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    job->start();
    if (!finished) loop.exec(QEventLoop::ExcludeUserInputEvents);
    if (!finished) {
        QObject::disconnect(job, nullptr, &loop, nullptr);
        job->setAutoDelete(true);
        return PasswordVault::Result::Unavailable;
    }
    PasswordVault::Result result = PasswordVault::Result::Unavailable;
    if (job->error() == QKeychain::NoError) {
        result = PasswordVault::Result::Ok;
        if (text)
            if (auto *read = qobject_cast<QKeychain::ReadPasswordJob *>(job))
                *text = read->textData();
    } else if (job->error() == QKeychain::EntryNotFound) {
        result = PasswordVault::Result::NotFound;
    }
    job->deleteLater();
    return result;
}
} // namespace

PasswordVault::Result PasswordKeyring::read(QString *password) {
    return run(new QKeychain::ReadPasswordJob(kService), m_timeoutMs, password);
}

PasswordVault::Result PasswordKeyring::write(const QString &password) {
    auto *job = new QKeychain::WritePasswordJob(kService);
    job->setTextData(password);
    return run(job, m_timeoutMs);
}

PasswordVault::Result PasswordKeyring::remove() {
    return run(new QKeychain::DeletePasswordJob(kService), m_timeoutMs);
}

} // namespace kelvane
