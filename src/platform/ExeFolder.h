#pragma once
#include <QString>

// Where the running program lives: its settings file and projects folder sit beside it.
// Needs no QCoreApplication.
namespace platform {

// Absolute path of the running executable (symbolic links resolved).
QString executablePath();
// Absolute folder of the executable, ending in '/'.
QString executableFolder();
// The executable's path with its extension replaced by ".ini" ("zor" gives "zor.ini").
QString settingsFilePath();
// The same rule for a given executable path.
QString settingsFilePathFor(const QString& exePath);

} // namespace platform
