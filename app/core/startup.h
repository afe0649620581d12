#pragma once

// The start-up sequence of the main window. It runs thirteen steps in a fixed order; the
// steps of the application core run here, every other step is a call into the subsystem that
// owns it, handed in as a hook by the code that creates the main window. A hook left empty
// skips its step, so the sequence runs (and is tested) before every subsystem exists.
//
// Order: 1 library digest check, 2 user data folder, 3 LZW coding for GIF and TIFF, then the
// main window is created (the factory), 4 thumbnail grid set-up, 5 first fill of the grid from
// "frames/free", 6 blank main view, 7 main view processor configuration, 8 layer 0 locked,
// 9 category selectors, 10 default text font, 11 pristine copy, 12 the command-line photo,
// 13 the welcome-screen decision.

#include "app/core/default_text_font.h"
#include "library/category_list.h"

#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

namespace borderlux {

/// What the sequence has worked out before the main window is created.
struct StartupContext {
    QString programFolder; ///< ends in "/"
    QString userDataFolder; ///< application-data folder + "Borderlux/"
    QStringList arguments; ///< the command line, program name first, toolkit options removed
};

/// The steps owned by other subsystems. Each runs once, in the order of the members.
struct StartupHooks {
    std::function<void()> setUpThumbnailGrid; ///< 4: column count, thumbnail-only storage
    std::function<void(const QString& folder)>
        fillThumbnailGrid; ///< 5: program folder + "frames/free"
    std::function<void()> blankMainView; ///< 6
    std::function<void()> configureMainProcessor; ///< 7: AutoUndo off, UndoLimit 10
    std::function<void()> lockPhotoLayer; ///< 8: layer 0 not selectable, locked
    /// 9: fill both selectors from these items and select item 0 in each without running
    /// their change handlers.
    std::function<void(
        const std::vector<SelectorItem>& frames, const std::vector<SelectorItem>& stamps)>
        fillCategorySelectors;
    std::function<void(const DefaultTextFont&)> setDefaultTextFont; ///< 10; "Insert text" unpressed
    std::function<void()> createPristineCopy; ///< 11
    /// 12: runs only when the command line names a photo (its first argument).
    std::function<void(const QString& path)> openCommandLinePhoto;
    /// 13: runs only when the welcome-screen decision says to show it: create the welcome
    /// window, show it without blocking, and check "Show Welcome Screen".
    std::function<void()> showWelcomeScreen;
};

/// The main window created by the factory with the hooks of its steps. The window may be null
/// (tests); when set, the program entry shows it after the sequence and owns it.
struct MainWindowStartup {
    std::unique_ptr<QWidget> window;
    StartupHooks hooks;
};

/// Creates the main window (and what lives as long as it, such as the text style dialog).
using MainWindowFactory = std::function<MainWindowStartup(const StartupContext&)>;

struct StartupResult {
    bool libraryOk = false; ///< false: the digest check failed and nothing was created
    StartupContext context;
    std::unique_ptr<QWidget> window;
};

/// The welcome-screen decision: false only when option.cfg exists and its showatstart value
/// in section ini is exactly "no".
bool WelcomeScreenWanted(const QString& optionFile);

/// Runs the thirteen steps for the program in programFolder with the given command line.
/// When the digest check fails it returns at once with libraryOk false: the factory is not
/// called and no window exists.
StartupResult RunStartupSequence(const QString& programFolder, const QStringList& arguments,
    const MainWindowFactory& createMainWindow);

} // namespace borderlux
