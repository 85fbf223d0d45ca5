#include "ui/GuiMain.h"

#include "core/settings/Setting.h"

#include "ui/MainActivity.h"
#include "ui/MainWindow.h"
#include "core/settings/SessionServer.h"
#include "ui/base/Style.h"
#include "ui/WindowState.h"
#include "desktop/DesktopServices.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QTextStream>

namespace kelvane {

int guiMain(int argc, char **argv) {
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Kelvane"));
    QApplication::setApplicationName(QStringLiteral("Kelvane"));
    QApplication::setApplicationVersion(QStringLiteral(KELVANE_VERSION));
    QApplication::setQuitOnLastWindowClosed(
        MainActivity::applicationShouldTerminateAfterLastWindowClosed());

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Kelvane, un client pour MPD"));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption({QStringLiteral("host"), QStringLiteral("Serveur MPD pour cette session."),
                      QStringLiteral("H")});
    parser.addOption({QStringLiteral("port"), QStringLiteral("Port MPD pour cette session."),
                      QStringLiteral("P")});
    parser.addOption(
        {QStringLiteral("cover-host"),
         QStringLiteral("Serveur web des pochettes pour cette session (adresse[:port])."),
         QStringLiteral("ADRESSE")});
    parser.addOption({QStringLiteral("radio-base"),
                      QStringLiteral("Adresse de l'annuaire radio pour cette session."),
                      QStringLiteral("URL")});
    parser.process(app);
    const auto option = [&parser](const char *name) -> std::optional<QString> {
        const QString key = QString::fromLatin1(name);
        return parser.isSet(key) ? std::optional<QString>(parser.value(key)) : std::nullopt;
    };
    QString problem;
    const std::optional<SessionServer> session =
        SessionServer::from({option("host"), option("port"), option("cover-host"),
                             qEnvironmentVariable("MPD_HOST"), qEnvironmentVariable("MPD_PORT")},
                            &problem);
    if (!session) {
        QTextStream(stderr) << "kelvane: " << problem << '\n';
        return 2;
    }
    // Before the first connection attempt, which MainActivity makes.
    session->apply();
    if (const auto radioBase = option("radio-base"))
        Setting::sSetting().setSessionRadioBase(*radioBase);

    Style::applyApplicationStyle(app);
    MainActivity activity;
    WindowState::restoreGeometry(activity);
    activity.window()->show();
    // After show(): an alert about the first connection needs a window to sit on.
    activity.applicationDidFinishLaunching();
    WindowState::restoreView(activity);

    DesktopServices desktop;
    MainWindow *window = activity.window();
    QObject::connect(&desktop, &DesktopServices::raiseRequested, window, [window] {
        // Out of the taskbar if minimised, keeping a maximised window maximised.
        window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
        window->show();
        window->raise();
        window->activateWindow();
    });
    // Through the window, so quitting from the desktop ends the run as closing it does.
    QObject::connect(&desktop, &DesktopServices::quitRequested, window, &QWidget::close,
                     Qt::QueuedConnection);
    const int status = app.exec();
    WindowState::save(activity);
    return status;
}

} // namespace kelvane
