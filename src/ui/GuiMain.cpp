#include "ui/GuiMain.h"

#include "core/settings/Setting.h"
#include "ui/MainActivity.h"
#include "ui/MainWindow.h"
#include "ui/Preferences.h"
#include "ui/base/Style.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QTextStream>

namespace kelvane {

namespace {

// MPD_HOST may carry a password in front ("secret@host"); only the host is used here.
QString hostOf(const QString &text)
{
    const qsizetype at = text.lastIndexOf(QLatin1Char('@'));
    return at >= 0 ? text.mid(at + 1) : text;
}

// --host/--port (or MPD_HOST/MPD_PORT) choose the server for this run only; the stored
// settings are neither read for them nor written. False on a malformed value.
bool applySessionServer(const QCommandLineParser &parser, QString *problem)
{
    std::optional<QString> host;
    std::optional<quint32> port;
    const QString envHost = qEnvironmentVariable("MPD_HOST");
    const QString envPort = qEnvironmentVariable("MPD_PORT");
    if (!envHost.isEmpty())
        host = hostOf(envHost);
    if (parser.isSet(QStringLiteral("host")))
        host = parser.value(QStringLiteral("host"));
    const QString portText = parser.isSet(QStringLiteral("port")) ? parser.value(QStringLiteral("port")) : envPort;
    if (!portText.isEmpty()) {
        quint32 value = 0;
        if (!Preferences::parsePort(portText, &value)) {
            *problem = QStringLiteral("port invalide : %1").arg(portText);
            return false;
        }
        port = value;
    }
    if (host && host->isEmpty()) {
        *problem = QStringLiteral("adresse du serveur vide");
        return false;
    }
    if (host || port)
        Setting::sSetting().setSessionServer(host, port);
    // A cover web server for this run ("address" or "address:port"), e.g. the demo's.
    if (parser.isSet(QStringLiteral("cover-host"))) {
        const QString covers = parser.value(QStringLiteral("cover-host"));
        if (covers.isEmpty()) {
            *problem = QStringLiteral("serveur de pochettes vide");
            return false;
        }
        Setting::sSetting().setSessionHTTP(covers);
    }
    return true;
}

} // namespace

int guiMain(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Kelvane"));
    QApplication::setApplicationName(QStringLiteral("Kelvane"));
    QApplication::setApplicationVersion(QStringLiteral("0.1.0"));
    QApplication::setQuitOnLastWindowClosed(MainActivity::applicationShouldTerminateAfterLastWindowClosed());

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Kelvane, un client pour MPD"));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption({QStringLiteral("host"), QStringLiteral("Serveur MPD pour cette session."), QStringLiteral("H")});
    parser.addOption({QStringLiteral("port"), QStringLiteral("Port MPD pour cette session."), QStringLiteral("P")});
    parser.addOption({QStringLiteral("cover-host"),
                      QStringLiteral("Serveur web des pochettes pour cette session (adresse[:port])."),
                      QStringLiteral("ADRESSE")});
    parser.process(app);
    QString problem;
    if (!applySessionServer(parser, &problem)) {
        QTextStream(stderr) << "kelvane: " << problem << '\n';
        return 2;
    }

    Style::applyApplicationStyle(app);
    MainActivity activity;
    activity.window()->show();
    // After show(): an alert about the first connection needs a window to sit on.
    activity.applicationDidFinishLaunching();
    return app.exec();
}

} // namespace kelvane
