// The USB unit over the real libusb backend, the instrument being a scenario's simulated one
// behind an emulated USB device.
#include "ScenarioResponder.h"
#include "TestInstrument.h"

#include "device/LibusbBackend.h"
#include "device/Protocol.h"
#include "device/Scenario.h"
#include "device/USB.h"

#include <gtest/gtest.h>

namespace {

class UsbUnitTest : public ::testing::Test {
protected:
    void plug(const char* scenarioJson) {
        instrument = std::make_shared<device::SimulatedInstrument>(
            device::parseScenario(QByteArray(scenarioJson)));
        emulator->plug(2, std::make_shared<zorinstrument::ScenarioResponder>(instrument));
    }
    void openLink() { ASSERT_EQ(link.open(device::createLibusbBackend()), 0u); }

    std::unique_ptr<zorinstrument::UsbEmulator> emulator =
        std::make_unique<zorinstrument::UsbEmulator>();
    std::shared_ptr<device::SimulatedInstrument> instrument;
    device::UsbLink link; // last: closed before the bus it uses goes
};

TEST_F(UsbUnitTest, ScenarioFaultsReachTheCallerAsTheirStatuses) {
    struct Case {
        const char* scenario;
        device::Status status;
    };
    const Case cases[] = {
        {R"({"fail": [{"command": 1, "occurrence": 1, "status": "0x40000001"}]})",
         device::kStatusIo},
        {R"({"fail": [{"command": 1, "occurrence": 1, "status": "0x40000009"}]})",
         device::usbStatus(-9)},
        {R"({"fail": [{"command": 1, "occurrence": 1, "status": "0x40000004"}]})",
         device::kStatusNoDevice},
        {R"({"reply_delay_ms": 2600})", device::kStatusTimeout},
        {R"({})", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.scenario);
        link.close();
        emulator.reset(); // one bus per case: umockdev serves one testbed at a time
        emulator = std::make_unique<zorinstrument::UsbEmulator>();
        plug(c.scenario);
        openLink();
        ASSERT_TRUE(link.connected());
        uint8_t info[device::kDeviceInfoSize] = {};
        EXPECT_EQ(link.command(CMD_GET_INFO, nullptr, 0, info, sizeof info), c.status);
        link.close();
    }
}

TEST_F(UsbUnitTest, ShortReplyIsASuccessThatLeavesTheRestOfTheBuffer) {
    plug(R"({"model": "ZOR-1.0", "short_reply": {"command": 2, "occurrence": 1, "bytes": 3}})");
    openLink();
    uint8_t model[8];
    std::fill(std::begin(model), std::end(model), 0xAA);
    ASSERT_EQ(link.command(CMD_GET_MODEL, nullptr, 0, model, sizeof model), 0u);
    EXPECT_EQ(model[1], 'Z');
    EXPECT_EQ(model[2], 'O');
    EXPECT_EQ(model[3], 0xAA);
    EXPECT_EQ(model[7], 0xAA);
}

TEST_F(UsbUnitTest, UnplugBeforeACommandFailsItAndDropsTheInstrument) {
    plug(R"({"unplug_before": {"command": 6, "occurrence": 1}})");
    openLink();
    ASSERT_TRUE(link.connected());
    uint8_t info[device::kDeviceInfoSize];
    ASSERT_EQ(link.command(CMD_GET_INFO, nullptr, 0, info, sizeof info), 0u);
    uint8_t screen[device::kScreenPictureSize];
    EXPECT_EQ(link.command(CMD_GET_SCREEN, nullptr, 0, screen, sizeof screen),
              device::kStatusNoDevice);
    EXPECT_TRUE(eventually([this] { return !link.connected(); }));
    EXPECT_EQ(link.command(CMD_GET_INFO, nullptr, 0, info, sizeof info), device::kStatusNoDevice);
    EXPECT_EQ(instrument->commands(), (std::vector<uint32_t>{CMD_GET_INFO}));
}

TEST_F(UsbUnitTest, FramesGoOutAsTheUnitBuildsThem) {
    plug("{}");
    openLink();
    uint8_t payload[70];
    for (int i = 0; i < 70; ++i)
        payload[i] = uint8_t(i);
    // No reply asked: only the write happens.
    ASSERT_EQ(link.command(CMD_BEGIN_READ, nullptr, 0, nullptr, 0), 0u);
    ASSERT_EQ(link.command(0x04030201, payload, sizeof payload, nullptr, 0), 0u);
    std::vector<QByteArray> frames = instrument->frames();
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0], QByteArray("\x03\x00\x00\x00", 4));
    ASSERT_EQ(frames[1].size(), 64); // a payload over 60 bytes is cut to 60
    EXPECT_EQ(frames[1].left(4), QByteArray("\x01\x02\x03\x04", 4));
    EXPECT_EQ(uint8_t(frames[1][63]), 59);
}

} // namespace
