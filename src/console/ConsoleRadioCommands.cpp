#include "console/ConsoleCommand.h"

namespace kelvane {

std::span<const ConsoleCommand> radioCommands()
{
    return {};
}

} // namespace kelvane
