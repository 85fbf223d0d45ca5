#pragma once

namespace kelvane {
// Runs the desktop application; returns the process exit status.
int guiMain(int argc, char **argv);
// Only --help or --version asked: answered in text, with or without --console.
bool asksOnlyForText(int argc, char **argv);
} // namespace kelvane
