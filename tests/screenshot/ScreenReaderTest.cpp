#include "screenshot/ScreenReader.h"
#include "device/Scenario.h"
#include "device/SimulatedBackend.h"
#include "device/SimulatedInstrument.h"
#include "device/USB.h"

#include <array>
#include <gtest/gtest.h>

using namespace screenshot;

namespace {

// The program's link over a scenario's instrument, for as long as the object lives.
struct Link {
    explicit Link(const QByteArray& json)
        : instrument(std::make_shared<device::SimulatedInstrument>(device::parseScenario(json))) {
        device::openSimulatedLink(instrument);
    }
    ~Link() { CloseUSB(); }
    std::shared_ptr<device::SimulatedInstrument> instrument;
};

} // namespace

TEST(ScreenReader, ReadsThePictureWithCommandSixAlone) {
    QByteArray hex = QByteArray(1024, '\0');
    hex[0] = 0x01;
    hex[1023] = char(0x80);
    Link link("{\"screen_hex\": \"" + hex.toHex() + "\"}");
    std::array<uint8_t, 1024> reply{};
    ASSERT_EQ(readDeviceScreen(reply.data()), 0u);
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(reply.data()), 1024), hex);
    EXPECT_EQ(link.instrument->commands(), std::vector<uint32_t>{6});
}

TEST(ScreenReader, FailsWithoutAnInstrumentOrOnAFailedTransfer) {
    const std::pair<const char*, device::Status> cases[] = {
        {R"({"attached": false})", device::kStatusNoDevice},
        {R"({"fail": [{"command": 6, "occurrence": 1, "status": 7}]})", 7},
    };
    for (const auto& [json, status] : cases) {
        Link link(json);
        std::array<uint8_t, 1024> reply{};
        EXPECT_EQ(readDeviceScreen(reply.data()), status) << json;
    }
}
