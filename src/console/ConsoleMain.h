#pragma once

namespace kelvane {
// Runs the headless console front end; returns the process exit status.
int consoleMain(int argc, char **argv);
} // namespace kelvane
