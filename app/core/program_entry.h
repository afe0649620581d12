#pragma once

// The program entry shared by the borderlux executable and the start-up tests.

#include "app/core/startup.h"

namespace borderlux {

/// The application title, also the caption of the task-bar button.
inline constexpr const char* kApplicationTitle = "Borderlux";

/// Creates the QApplication, sets the application title, runs the start-up sequence with the
/// program folder of the running executable and createMainWindow as the main window's
/// factory, shows the main window (when the factory made one) and runs the message loop.
/// Returns the loop's exit status. When the library digest check fails, prints one line on
/// stderr naming the program folder and returns 1 before any window is created.
int ProgramEntry(int argc, char** argv, const MainWindowFactory& createMainWindow);

} // namespace borderlux
