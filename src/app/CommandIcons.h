#pragma once
#include <QIcon>

// The image list of the main window: the icons its commands show, by their index.
namespace app {

enum IconIndex {
    IconNew = 0,
    IconOpen = 1,
    IconSave = 2,
    IconClose = 3,
    IconExit = 4,
    IconReport = 5,
    IconReadDevice = 6,
    IconDeleteAll = 8,
    IconCancelChanges = 9,
    IconScreenShot = 11,
    IconAbout = 14,
    IconExport = 19,
};

QIcon commandIcon(IconIndex index);

} // namespace app
