#include "console/ConsoleCommand.h"

namespace kelvane {

std::span<const ConsoleCommand> libraryCommands()
{
    return {};
}

} // namespace kelvane
