#include "console/Console.h"
#include "console/ConsoleCommand.h"
#include "core/commands/MPDCommand.h"

namespace kelvane {

namespace {
// Through the command service, like the window's menu: it leaves the connection alone
// while a database update runs.
void connectCommand(Console &, const QString &) {
    MPDCommand::sMPDCommand().connect();
}
void disconnectCommand(Console &, const QString &) {
    MPDCommand::sMPDCommand().disconnect();
}
void quitCommand(Console &console, const QString &) {
    console.quit();
}

constexpr ConsoleCommand commands[] = {
    {QLatin1StringView("connect"), &connectCommand},
    {QLatin1StringView("disconnect"), &disconnectCommand},
    {QLatin1StringView("quit"), &quitCommand},
};
} // namespace

std::span<const ConsoleCommand> coreCommands() {
    return commands;
}

} // namespace kelvane
