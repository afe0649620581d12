#pragma once

// Builds the main window with every subsystem's start-up hooks, for the program entry and
// for tests that start the program's window as the user would see it.

#include "app/core/startup.h"

namespace borderlux {

class TfrmMain;

/// Creates TfrmMain for the context, wires the subsystems' commands into it
/// (WireSubsystemCommands) and collects the hooks of the start-up steps.
MainWindowStartup CreateMainWindow(const StartupContext& context);

/// Wires the commands whose handlers belong to other subsystems than the window itself:
/// Apply (the button, the grid's context menu, a double-click in the grid and a drop on the
/// main view all run it), "Save as...", "Save" and "Share with friends".
void WireSubsystemCommands(TfrmMain& window);

} // namespace borderlux
