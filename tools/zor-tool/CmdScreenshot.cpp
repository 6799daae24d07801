#include "Commands.h"

#include "device/USB.h"
#include "platform/Error.h"
#include "screenshot/ScreenPicture.h"
#include "screenshot/ScreenReader.h"

#include <array>

// zor-tool screenshot OUT [--simulate SCENARIO] [--ink C] [--background C]
namespace zortool {

namespace {
constexpr int kExitWriteFailed = 1;
constexpr int kExitReadFailed = 2;
} // namespace

int cmdScreenshot(const Arguments& args) {
    std::optional<std::unique_ptr<device::UsbBackend>> instrument = instrumentBackend(args);
    if (!instrument)
        return kExitScenario;
    std::array<uint8_t, screenshot::kScreenBytes> screen{};
    // A failed open shows as a failed read, as in the program.
    device::programLink().open(std::move(*instrument));
    const device::Status status = screenshot::readDeviceScreen(screen.data());
    CloseUSB();
    screenshot::PixelMatrix matrix;
    if (status == 0)
        matrix.decode(screen.data());
    try {
        screenshot::saveBitmap(screenshot::paintPicture(matrix, args.ink, args.background),
                               args.required[0]);
    } catch (const zor::Error& e) {
        printErr(e.text());
        return kExitWriteFailed;
    }
    if (status != 0) {
        printErr(QStringLiteral("Ошибка связи с прибором!"));
        return kExitReadFailed;
    }
    return 0;
}

} // namespace zortool
