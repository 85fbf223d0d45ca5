#include "desktop/DesktopServices.h"

#include "core/settings/Setting.h"
#include "desktop/MprisService.h"
#include "desktop/PasswordKeyring.h"
#include "desktop/TrackNotifier.h"

#include <QDBusConnection>
#include <QEventLoop>
#include <QTimer>
#include <QtDebug>

namespace kelvane {

DesktopServices::DesktopServices(QObject *parent) : QObject(parent) {
    const QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        qInfo("kelvane: no session bus: media keys and notifications are off");
        return;
    }
    auto *mpris = new MprisService(bus, this);
    QString problem;
    if (mpris->start(&problem)) {
        m_mpris = mpris;
        connect(mpris, &MprisService::raiseRequested, this, &DesktopServices::raiseRequested);
        connect(mpris, &MprisService::quitRequested, this, &DesktopServices::quitRequested);
    } else {
        qInfo("kelvane: media player interface off: %s", qUtf8Printable(problem));
        delete mpris;
    }
    m_notifier = new TrackNotifier(bus, this);
}

DesktopServices::~DesktopServices() = default;

void DesktopServices::keepPasswordInKeyring() {
    Setting &setting = Setting::sSetting();
    if (!QDBusConnection::sessionBus().isConnected()) {
        if (setting.passwordInKeyring())
            qInfo("kelvane: no session bus: the password kept in the keyring cannot be read");
        return;
    }
    setting.useVault(std::make_unique<PasswordKeyring>());
    if (setting.passwordInClear() && !setting.hasVault())
        qInfo("kelvane: no keyring on the session bus: the password stays in the settings file");
}

bool DesktopServices::waitForPassword(int timeoutMs) {
    Setting &setting = Setting::sSetting();
    if (!setting.passwordPending()) return true;
    QEventLoop loop;
    QObject context;
    setting.whenPasswordKnown(&context, [&loop] { loop.quit(); });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    loop.exec();
    return !setting.passwordPending();
}

} // namespace kelvane
