#include "app/core/startup.h"

#include "app/core/app_paths.h"
#include "app/core/library_digest.h"
#include "app/core/options.h"

#include <QFileInfo>

namespace borderlux {

namespace {

template <typename Hook, typename... Args> void runStep(const Hook& hook, Args&&... args)
{
    if (hook)
        hook(std::forward<Args>(args)...);
}

} // namespace

bool WelcomeScreenWanted(const QString& optionFile)
{
    return !(QFileInfo::exists(optionFile)
        && ReadOption(optionFile, kOptionSection, kShowAtStartKey) == QLatin1String("no"));
}

StartupResult RunStartupSequence(const QString& programFolder, const QStringList& arguments,
    const MainWindowFactory& createMainWindow)
{
    StartupResult result;
    result.context.programFolder = programFolder;
    result.context.arguments = arguments;

    // 1
    if (!LibraryDigestCheck(programFolder))
        return result;
    result.libraryOk = true;

    // 2
    result.context.userDataFolder = UserDataFolder(GetAppDataFolder());

    // 3: GIF and TIFF go through Qt's image plugins, which always read and write LZW-coded
    // files; there is nothing to switch on.

    MainWindowStartup main;
    if (createMainWindow)
        main = createMainWindow(result.context);
    result.window = std::move(main.window);
    const StartupHooks& hooks = main.hooks;

    runStep(hooks.setUpThumbnailGrid); // 4
    runStep(hooks.fillThumbnailGrid, programFolder + "frames/free"); // 5
    runStep(hooks.blankMainView); // 6
    runStep(hooks.configureMainProcessor); // 7
    runStep(hooks.lockPhotoLayer); // 8
    if (hooks.fillCategorySelectors) { // 9
        const CategorySelectors selectors = LoadCategoryLists(programFolder);
        hooks.fillCategorySelectors(selectors.frames, selectors.stamps);
    }
    runStep(hooks.setDefaultTextFont, DefaultTextFont {}); // 10
    runStep(hooks.createPristineCopy); // 11
    if (arguments.size() > 1) // 12
        runStep(hooks.openCommandLinePhoto, arguments[1]);
    if (WelcomeScreenWanted(OptionFilePath(result.context.userDataFolder))) // 13
        runStep(hooks.showWelcomeScreen);
    return result;
}

} // namespace borderlux
