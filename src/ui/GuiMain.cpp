#include "ui/GuiMain.h"

#include "core/settings/Language.h"
#include "core/settings/Setting.h"

#include "core/settings/SessionServer.h"
#include "desktop/DesktopServices.h"
#include "mpdc/ProtocolLocale.h"
#include "ui/MainActivity.h"
#include "ui/MainWindow.h"
#include "ui/WindowState.h"
#include "ui/base/Style.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QTextStream>

namespace kelvane {

namespace {
void describeOptions(QCommandLineParser &parser) {
    parser.setApplicationDescription(
        QCoreApplication::translate("kelvane::GuiMain", "Kelvane, un client pour MPD"));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption(
        {QStringLiteral("host"),
         QCoreApplication::translate("kelvane::GuiMain", "Serveur MPD pour cette session."),
         QStringLiteral("H")});
    parser.addOption(
        {QStringLiteral("port"),
         QCoreApplication::translate("kelvane::GuiMain", "Port MPD pour cette session."),
         QStringLiteral("P")});
    parser.addOption(
        {QStringLiteral("cover-host"),
         QCoreApplication::translate(
             "kelvane::GuiMain", "Serveur web des pochettes pour cette session (adresse[:port])."),
         QCoreApplication::translate("kelvane::GuiMain", "ADRESSE")});
    parser.addOption({QStringLiteral("radio-base"),
                      QCoreApplication::translate(
                          "kelvane::GuiMain", "Adresse de l'annuaire radio pour cette session."),
                      QStringLiteral("URL")});
    // Handled before the window starts (main); listed here for --help.
    parser.addOption({QStringLiteral("console"),
                      QCoreApplication::translate(
                          "kelvane::GuiMain",
                          "Sans fenêtre : une ligne par événement, commandes lues sur l'entrée.")});
}

} // namespace

// --help and --version answer without a window system, so they work in any terminal and
// in packaging checks.
bool asksOnlyForText(int argc, char **argv) {
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        if (arg == "-h" || arg == "--help" || arg == "-?" || arg == "--help-all" || arg == "-v" ||
            arg == "--version")
            return true;
    }
    return false;
}

namespace {
void nameApplication() {
    QCoreApplication::setOrganizationName(QStringLiteral("Kelvane"));
    QCoreApplication::setApplicationName(QStringLiteral("Kelvane"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KELVANE_VERSION));
}
} // namespace

int guiMain(int argc, char **argv) {
    if (asksOnlyForText(argc, argv)) {
        QCoreApplication app(argc, argv);
        nameApplication();
        language::installChosen();
        QCommandLineParser parser;
        describeOptions(parser);
        parser.process(app); // prints and exits
        return 0;
    }
    QApplication app(argc, argv);
    mpdc::keepProtocolLocale();
    nameApplication();
    // Before the first text is built: widgets take their texts once.
    language::installChosen();
    // The desktop entry's name: the window system matches the window to its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("kelvane"));
    QApplication::setQuitOnLastWindowClosed(
        MainActivity::applicationShouldTerminateAfterLastWindowClosed());

    QCommandLineParser parser;
    describeOptions(parser);
    parser.process(app);
    const auto option = [&parser](const char *name) -> std::optional<QString> {
        const QString key = QString::fromLatin1(name);
        return parser.isSet(key) ? std::optional<QString>(parser.value(key)) : std::nullopt;
    };
    // Before the first connection attempt, which MainActivity makes.
    QString problem;
    if (!SessionServer::applyOptions(option, &problem)) {
        QTextStream(stderr) << "kelvane: " << problem << '\n';
        return 2;
    }
    DesktopServices::keepPasswordInKeyring();

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
