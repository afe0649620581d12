#include "app/core/program_entry.h"

#include "app/core/app_paths.h"

#include <QApplication>

#include <cstdio>

namespace borderlux {

int ProgramEntry(int argc, char** argv, const MainWindowFactory& createMainWindow)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(kApplicationTitle);

    const QString programFolder = ProgramFolder();
    StartupResult started
        = RunStartupSequence(programFolder, QApplication::arguments(), createMainWindow);
    if (!started.libraryOk) {
        // The program ends without a window; one line says why, so a broken installation is
        // not a mystery when started from a terminal.
        std::fprintf(stderr,
            "borderlux: the frame library in %s is damaged or missing (digest check failed)\n",
            qPrintable(programFolder));
        return 1;
    }
    if (started.window)
        started.window->show();
    const int status = QApplication::exec();
    // The window and its children go before the application object they need.
    started.window.reset();
    return status;
}

} // namespace borderlux
