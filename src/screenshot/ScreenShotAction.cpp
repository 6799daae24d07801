#include "screenshot/ScreenShotAction.h"

#include "platform/ExeFolder.h"
#include "screenshot/DeviceScreenShotUnit.h"

namespace screenshot {

void ScreenShotActionExecute(QWidget* owner, uint32_t& inkColor, uint32_t& backgroundColor) {
    TDeviceScreenShotForm form(owner);
    // These two redraws reach only the clipboard: no file name is set yet.
    form.setInkColor(inkColor);
    form.setBackgroundColor(backgroundColor);
    form.setFileName(platform::dataFolder() + QStringLiteral("sceenshot.bmp"));
    form.exec();
    inkColor = form.InkColor();
    backgroundColor = form.BackgroundColor();
}

} // namespace screenshot
