#pragma once

// Where the program and the user's data live. Every folder returned here ends in "/" (or is
// empty), and paths below them are built by plain concatenation.

#include <QString>

namespace borderlux {

/// The per-user application-data folder: QStandardPaths::GenericDataLocation ($XDG_DATA_HOME,
/// by default ~/.local/share) + "/". Empty when no such location can be determined.
QString GetAppDataFolder();

/// appDataFolder + "Borderlux/". With an empty application-data folder this is the relative
/// path "Borderlux/". Nothing is created.
QString UserDataFolder(const QString& appDataFolder);

/// User data folder + "option.cfg".
QString OptionFilePath(const QString& userDataFolder);

/// The folder of the running executable with symlinks resolved, + "/". Needs a
/// QCoreApplication.
QString ProgramFolder();

/// The program folder for an executable living in executableDir: the folder with symlinks
/// resolved (as written when it does not exist), + "/".
QString ProgramFolderOf(const QString& executableDir);

} // namespace borderlux
