// Shows the screen capture dialog with a made-up picture already read, for a look by eye.
#include "screenshot/DeviceScreenShotUnit.h"

#include <QApplication>
#include <QTemporaryDir>
#include <cstring>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QTemporaryDir dir;
    screenshot::TDeviceScreenShotForm form(nullptr, [](uint8_t* reply) {
        for (int k = 0; k < screenshot::kScreenBytes; ++k) // a checker band and a diagonal
            reply[k] = (k / 128) % 2 ? (k % 2 ? 0xAA : 0x55) : uint8_t(1u << (k % 8));
        return device::Status(0);
    });
    form.setInkColor(0x800000);
    form.setBackgroundColor(0xFFFF00);
    form.setFileName(dir.filePath("sceenshot.bmp"));
    form.GetPictureButtonClick();
    form.show();
    return app.exec();
}
