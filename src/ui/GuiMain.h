#pragma once

namespace kelvane {
// Runs the desktop application; returns the process exit status.
int guiMain(int argc, char **argv);
} // namespace kelvane
