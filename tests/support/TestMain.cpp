// Shared main() of every test executable: the fixtures (local servers, image and
// widget code) need a Qt application object alive for the whole run.
#include "core/mpd/CommandThread.h"
#include "core/settings/Language.h"
#include "mpdc/ProtocolLocale.h"
#include "support/MpdServer.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>
#include <gtest/gtest.h>

int main(int argc, char **argv) {
    // As the application does: a write to a closed connection is an error, not a signal.
    std::signal(SIGPIPE, SIG_IGN);
    // Each test process gets settings, data and caches of its own: the user's are never
    // touched, and test executables running side by side never share a settings file.
    QTemporaryDir home(QDir::tempPath() + QStringLiteral("/kelvane-test-XXXXXX"));
    for (const char *var : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"})
        qputenv(var, QDir(home.path()).filePath(QString::fromLatin1(var)).toUtf8());
    // Never the user's session bus (their keyring, their media players): the tests that
    // need a bus start one of their own.
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/kelvane-tests-have-no-session-bus");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // As the application does, so the suite runs in the user's locale and still meets
    // the protocol in "C".
    kelvane::mpdc::keepProtocolLocale();
    QApplication::setOrganizationName(QStringLiteral("KelvaneTests"));
    QApplication::setApplicationName(QStringLiteral("KelvaneTests"));
    // The client sends its commands from a thread of its own and applies their answers on
    // this one: a test looking at the server looks once the commands sent so far have
    // reached it and their answers are in (an answer may send more: until none is left).
    kelvane::test::MpdServer::setBeforeExchange([] {
        kelvane::CommandThread &commands = kelvane::CommandThread::sCommandThread();
        for (;;) {
            commands.waitForDone();
            if (QThread::currentThread() != qApp->thread()) return;
            const quint64 sent = commands.posted();
            QCoreApplication::sendPostedEvents(qApp, QEvent::MetaCall);
            if (commands.posted() == sent) return;
        }
    });
    // As the application does: the desktop's language (French under the suite's fr_FR),
    // with its plural forms and Qt's own texts. Not the stored choice: reading the settings
    // now would fix their place before tests that move XDG_CONFIG_HOME.
    kelvane::language::install(kelvane::language::desktopLanguage());
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
