#include "app/core/app_paths.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStandardPaths>

namespace borderlux {

QString GetAppDataFolder()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return folder.isEmpty() ? QString() : folder + "/";
}

QString UserDataFolder(const QString& appDataFolder)
{
    return appDataFolder + "Borderlux/";
}

QString OptionFilePath(const QString& userDataFolder)
{
    return userDataFolder + "option.cfg";
}

QString ProgramFolder()
{
    return ProgramFolderOf(QCoreApplication::applicationDirPath());
}

QString ProgramFolderOf(const QString& executableDir)
{
    // The executables are installed into a private folder with symlinks in bin/; the library
    // files sit beside the real executable, not beside the link.
    const QString canonical = QFileInfo(executableDir).canonicalFilePath();
    QString folder = canonical.isEmpty() ? executableDir : canonical;
    if (!folder.endsWith('/'))
        folder += '/';
    return folder;
}

} // namespace borderlux
