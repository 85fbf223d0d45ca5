#include "console/ConsoleMain.h"

#include "console/Console.h"
#include "console/ConsoleArguments.h"
#include "console/StdinReader.h"
#include "core/settings/Language.h"
#include "mpdc/ProtocolLocale.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <csignal>
#include <unistd.h>

namespace kelvane {

namespace {
int signalPipe[2] = {-1, -1};

void onSignal(int) {
    const char byte = 0;
    [[maybe_unused]] auto n = ::write(signalPipe[1], &byte, 1);
}

} // namespace

int consoleMain(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    mpdc::keepProtocolLocale();
    QCoreApplication::setOrganizationName(QStringLiteral("Kelvane"));
    QCoreApplication::setApplicationName(QStringLiteral("Kelvane"));
    // The alerts speak the window's language; the lines' words and formats never change.
    language::installChosen();

    // SIGINT and SIGTERM end the console like "quit": through the event loop, so
    // everything is torn down in order and the status is 0.
    if (::pipe(signalPipe) == 0) {
        std::signal(SIGINT, onSignal);
        std::signal(SIGTERM, onSignal);
    }
    QSocketNotifier signalNotifier(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&signalNotifier, &QSocketNotifier::activated, &app,
                     [] { QCoreApplication::exit(0); });

    Console console(consoleargs::options(app.arguments()));
    if (!console.start()) return 2;
    StdinReader reader;
    QObject::connect(&reader, &StdinReader::lineRead, &console, &Console::execute,
                     Qt::QueuedConnection);
    reader.start();
    const int status = app.exec();
    reader.stop();
    return status;
}

} // namespace kelvane
