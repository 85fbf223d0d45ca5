#include "console/Console.h"
#include "console/ConsoleCommand.h"

namespace kelvane {

namespace {
void quitCommand(Console &console, const QString &) { console.quit(); }

constexpr ConsoleCommand commands[] = {
    {QLatin1StringView("quit"), &quitCommand},
};
} // namespace

std::span<const ConsoleCommand> coreCommands()
{
    return commands;
}

} // namespace kelvane
