// Entry point: "--console" runs the server core without a window (for scripts and
// acceptance checks); anything else starts the desktop application.
#include "console/ConsoleMain.h"
#include "ui/GuiMain.h"

#include <csignal>
#include <cstring>

int main(int argc, char **argv) {
    // A write to a connection the server has just closed must come back as an error to
    // report, not end the process.
    std::signal(SIGPIPE, SIG_IGN);
    // "--console --help" prints the same help as "--help", in the same language.
    if (kelvane::asksOnlyForText(argc, argv)) return kelvane::guiMain(argc, argv);
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--console") == 0) return kelvane::consoleMain(argc, argv);
    return kelvane::guiMain(argc, argv);
}
