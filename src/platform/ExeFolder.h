#pragma once
#include <QString>

// Where the running program lives: its settings file and projects folder sit beside it.
// Needs no QCoreApplication.
namespace platform {

// Absolute path of the running executable (symbolic links resolved).
QString executablePath();
// Absolute folder of the executable, ending in '/'.
QString executableFolder();
// Where the settings file, the projects folder and the screen picture live: the executable's
// folder, or, for an installed copy (a system folder, or one this user cannot write), the user's
// own "$XDG_DATA_HOME/zor/" (normally ~/.local/share/zor/), created on first use. Ends in '/'.
QString dataFolder();
// True when dataFolder() is not the executable's folder.
bool dataFolderIsPerUser();
// The rule behind it, for a given executable folder: a folder under /usr, /bin or /sbin (where
// the package installs, and which even root must not fill with settings and projects), or a
// folder the user cannot write.
bool folderNeedsPerUserData(const QString& executableFolder);
// The settings file in dataFolder(), named after the executable with ".ini" ("zor" gives
// "zor.ini").
QString settingsFilePath();
// The same rule for a given executable path.
QString settingsFilePathFor(const QString& exePath);

} // namespace platform
