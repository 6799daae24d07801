#include "Commands.h"

#include "device/Scenario.h"
#include "device/SimulatedBackend.h"
#include "device/SimulatedInstrument.h"
#include "device/USB.h"
#include "platform/Error.h"
#include "screenshot/ScreenPicture.h"
#include "screenshot/ScreenReader.h"

#include <array>
#include <optional>

// zor-tool screenshot OUT [--simulate SCENARIO] [--ink C] [--background C]
namespace zortool {

namespace {

constexpr int kExitWriteFailed = 1;
constexpr int kExitReadFailed = 2;

struct ScreenshotArgs {
    QString out;
    QString scenario;
    uint32_t ink = 0x000000;
    uint32_t background = 0xFFFFFF;
};

// A colour as the settings file stores it: a decimal 0x00BBGGRR.
std::optional<uint32_t> parseColor(const QString& text) {
    bool ok = false;
    const qulonglong value = text.toULongLong(&ok, 10);
    if (!ok || value > 0xFFFFFF) {
        printErr(QStringLiteral("Неверный цвет \"%1\": нужно число от 0 до 16777215").arg(text));
        return std::nullopt;
    }
    return uint32_t(value);
}

std::optional<ScreenshotArgs> parseArgs(QStringList args) {
    ScreenshotArgs parsed;
    while (!args.isEmpty()) {
        const QString arg = args.takeFirst();
        if (arg.startsWith("--")) {
            if (args.isEmpty())
                return std::nullopt;
            const QString value = args.takeFirst();
            std::optional<uint32_t> color;
            if (arg == "--simulate")
                parsed.scenario = value;
            else if (arg == "--ink" && (color = parseColor(value)))
                parsed.ink = *color;
            else if (arg == "--background" && (color = parseColor(value)))
                parsed.background = *color;
            else
                return std::nullopt;
        } else if (parsed.out.isEmpty()) {
            parsed.out = arg;
        } else {
            return std::nullopt;
        }
    }
    if (parsed.out.isEmpty())
        return std::nullopt;
    return parsed;
}

device::Status readScreen(uint8_t* reply) {
    OpenUSB(); // a failed open shows as a failed read, as in the program
    const device::Status status = screenshot::readDeviceScreen(reply);
    CloseUSB();
    return status;
}

} // namespace

int cmdScreenshot(const QStringList& argList) {
    const std::optional<ScreenshotArgs> args = parseArgs(argList);
    if (!args)
        return usage();
    if (!args->scenario.isEmpty()) {
        try {
            auto instrument = std::make_shared<device::SimulatedInstrument>(
                device::loadScenarioFile(args->scenario));
            device::setUsbBackendFactory(device::simulatedBackendFactory(instrument));
        } catch (const zor::Error& e) {
            printErr(e.text());
            return kExitScenario;
        }
    }
    std::array<uint8_t, screenshot::kScreenBytes> screen{};
    const device::Status status = readScreen(screen.data());
    screenshot::PixelMatrix matrix;
    if (status == 0)
        matrix.decode(screen.data());
    try {
        screenshot::saveBitmap(screenshot::paintPicture(matrix, args->ink, args->background),
                               args->out);
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
