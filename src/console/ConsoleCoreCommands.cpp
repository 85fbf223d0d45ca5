#include "console/Console.h"
#include "console/ConsoleCommand.h"
#include "core/mpd/MPDSocket.h"

namespace kelvane {

namespace {
void connectCommand(Console &, const QString &) { MPDSocket::sMPDSocket().connect(); }
void disconnectCommand(Console &, const QString &) { MPDSocket::sMPDSocket().disconnect(); }
void quitCommand(Console &console, const QString &) { console.quit(); }

constexpr ConsoleCommand commands[] = {
    {QLatin1StringView("connect"), &connectCommand},
    {QLatin1StringView("disconnect"), &disconnectCommand},
    {QLatin1StringView("quit"), &quitCommand},
};
} // namespace

std::span<const ConsoleCommand> coreCommands()
{
    return commands;
}

} // namespace kelvane
