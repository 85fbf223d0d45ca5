#include "console/ConsoleCommand.h"

namespace kelvane {

std::span<const ConsoleCommand> imageCommands()
{
    return {};
}

} // namespace kelvane
