#pragma once

#include <QLatin1StringView>
#include <QString>
#include <span>

namespace kelvane {

class Console;

// One line of stdin: "name" or "name argument". The argument is the rest of the line
// after the first space, unparsed; commands with several fields split it on tabs.
struct ConsoleCommand {
    QLatin1StringView name;
    void (*run)(Console &console, const QString &argument);
};

// Each subsystem contributes its own commands; Console.cpp joins the groups.
std::span<const ConsoleCommand> coreCommands();
std::span<const ConsoleCommand> libraryCommands();
std::span<const ConsoleCommand> radioCommands();
std::span<const ConsoleCommand> imageCommands();
std::span<const ConsoleCommand> playbackCommands();

} // namespace kelvane
