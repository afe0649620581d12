#pragma once

// Builds the main window with every subsystem's start-up hooks, for the program entry and
// for tests that start the program's window as the user would see it.

#include "app/core/startup.h"

namespace borderlux {

/// Creates TfrmMain for the context and collects the hooks of the start-up steps.
MainWindowStartup CreateMainWindow(const StartupContext& context);

} // namespace borderlux
