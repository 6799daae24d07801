#include "device/Protocol.h"
#include "device/SimulatedBackend.h"
#include "device/USB.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <thread>

using namespace device;

namespace {

struct Transfer {
    uint8_t pipe;
    bool read;
    uint32_t length;
    QByteArray bytes;
};

// Logs every transfer the unit makes on its way to the simulated instrument.
class LoggingBackend : public SimulatedBackend {
public:
    LoggingBackend(std::shared_ptr<SimulatedInstrument> instrument, std::vector<Transfer>& log)
        : SimulatedBackend(std::move(instrument)), m_log(log) {}
    Status transferBulk(DeviceHandle device, uint8_t pipe, bool read, uint8_t* buffer,
                        uint32_t length, uint32_t* moved, uint32_t timeoutMs) override {
        m_log.push_back(
            {pipe, read, length,
             read ? QByteArray() : QByteArray(reinterpret_cast<char*>(buffer), length)});
        EXPECT_EQ(timeoutMs, 2000u);
        return SimulatedBackend::transferBulk(device, pipe, read, buffer, length, moved, timeoutMs);
    }

private:
    std::vector<Transfer>& m_log;
};

class UsbUnit : public ::testing::Test {
protected:
    void open(const char* json) {
        instrument = std::make_shared<SimulatedInstrument>(parseScenario(json));
        setUsbBackendFactory([this] {
            auto b = std::make_unique<LoggingBackend>(instrument, log);
            backend = b.get();
            return b;
        });
        ASSERT_EQ(OpenUSB(), 0u);
    }
    void TearDown() override {
        CloseUSB();
        setUsbBackendFactory({});
    }

    std::shared_ptr<SimulatedInstrument> instrument;
    std::vector<Transfer> log;
    LoggingBackend* backend = nullptr;
};

} // namespace

TEST_F(UsbUnit, FramesAreTheCodeThenAtMostSixtyPayloadBytes) {
    open("{}");
    ASSERT_TRUE(DeviceConnected());
    uint8_t payload[80];
    for (int i = 0; i < 80; ++i)
        payload[i] = static_cast<uint8_t>(i + 1);
    struct Case {
        const void* data;
        uint32_t length;
        int frameLength;
    };
    for (const Case& c : {Case{nullptr, 0, 4}, Case{payload, 0, 4}, Case{nullptr, 10, 4},
                          Case{payload, 10, 14}, Case{payload, 60, 64}, Case{payload, 80, 64}}) {
        log.clear();
        EXPECT_EQ(DeviceCommand(0x0A0B0C0D, c.data, c.length, nullptr, 0), 0u);
        ASSERT_EQ(log.size(), 1u) << "ReplyLen 0: the write alone";
        EXPECT_EQ(log[0].pipe, 0x02);
        EXPECT_FALSE(log[0].read);
        ASSERT_EQ(log[0].bytes.size(), c.frameLength);
        EXPECT_EQ(log[0].bytes.left(4), QByteArray("\x0D\x0C\x0B\x0A"));
        EXPECT_EQ(log[0].bytes.mid(4),
                  QByteArray(reinterpret_cast<const char*>(payload), c.frameLength - 4));
    }
}

TEST_F(UsbUnit, CommandWithReplyWritesPausesThenReadsAndLeavesAShortReplysTailAlone) {
    open(R"({"short_reply": {"command": 1, "occurrence": 2, "bytes": 4}, "model_size": 77})");
    uint8_t reply[24];
    std::memset(reply, 0xEE, sizeof reply);
    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(DeviceCommand(CMD_GET_INFO, nullptr, 0, reply, 20), 0u);
    EXPECT_GE(timer.nsecsElapsed(), 1000000); // the 1 ms pause between write and read
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[1].pipe, 0x81);
    EXPECT_TRUE(log[1].read);
    EXPECT_EQ(log[1].length, 20u);
    EXPECT_EQ(decodeDeviceInfo(reply).ModelSize, 77u);
    EXPECT_EQ(reply[20], 0xEE);

    std::memset(reply, 0xEE, sizeof reply);
    EXPECT_EQ(DeviceCommand(CMD_GET_INFO, nullptr, 0, reply, 20), 0u);
    EXPECT_EQ(decodeDeviceInfo(reply).ModelSize, 77u);
    EXPECT_EQ(reply[4], 0xEE); // not delivered, not touched
}

TEST_F(UsbUnit, FailedWriteReturnsItsStatusWithoutReading) {
    open(R"({"fail": [{"command": 1, "status": 1073741831}]})");
    uint8_t reply[20];
    EXPECT_EQ(DeviceCommand(CMD_GET_INFO, nullptr, 0, reply, 20), kStatusTimeout);
    EXPECT_EQ(log.size(), 1u);
}

TEST_F(UsbUnit, AttachDetachAndASecondDeviceRefused) {
    open(R"({"attached": false})");
    uint8_t reply[20];
    EXPECT_FALSE(DeviceConnected());
    EXPECT_EQ(DeviceCommand(CMD_GET_INFO, nullptr, 0, reply, 20), kStatusNoDevice);

    EXPECT_TRUE(backend->plug());
    EXPECT_TRUE(DeviceConnected());
    EXPECT_FALSE(backend->plugSecondDevice());
    EXPECT_EQ(DeviceCommand(CMD_GET_INFO, nullptr, 0, reply, 20), 0u) << "the first stays in use";

    backend->unplug();
    EXPECT_FALSE(DeviceConnected());
    EXPECT_EQ(DeviceCommand(CMD_GET_INFO, nullptr, 0, reply, 20), kStatusNoDevice);
    EXPECT_TRUE(backend->plug());
    EXPECT_TRUE(DeviceConnected());
    EXPECT_TRUE(DevicePowerChange(backend->handle(), 3, nullptr));
}

TEST_F(UsbUnit, UnplugBeforeACommandDetachesAndFailsTheRest) {
    open(R"({"unplug_before": {"command": 6, "occurrence": 1}})");
    uint8_t screen[1024];
    EXPECT_EQ(DeviceCommand(CMD_GET_SCREEN, nullptr, 0, screen, 1024), kStatusNoDevice);
    EXPECT_FALSE(DeviceConnected());
    EXPECT_EQ(DeviceCommand(CMD_GET_INFO, nullptr, 0, screen, 20), kStatusNoDevice);
    EXPECT_TRUE(instrument->commands().empty());
}

TEST_F(UsbUnit, CancelInterruptsAReplyThatIsLate) {
    open(R"({"reply_delay_ms": 1900})");
    uint8_t reply[20];
    std::thread canceller([] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        CancelDeviceTransfers();
    });
    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(DeviceCommand(CMD_GET_INFO, nullptr, 0, reply, 20), kStatusInterrupted);
    EXPECT_LT(timer.elapsed(), 1500);
    canceller.join();
}

TEST(UsbUnitLifecycle, ClosingTwiceOrAfterAFailedOpenDoesNothing) {
    CloseUSB();
    setUsbBackendFactory([] { return std::unique_ptr<UsbBackend>(); });
    EXPECT_EQ(OpenUSB(), STATUS_DRIVER_NAME_FAILED);
    EXPECT_FALSE(DeviceConnected());
    uint8_t reply[20];
    EXPECT_NE(DeviceCommand(CMD_GET_INFO, nullptr, 0, reply, 20), 0u);
    CloseUSB();
    CloseUSB();

    auto instrument = std::make_shared<SimulatedInstrument>(defaultScenario());
    ASSERT_EQ(openSimulatedLink(instrument), 0u);
    EXPECT_TRUE(DeviceConnected());
    CloseUSB();
    EXPECT_FALSE(DeviceConnected()) << "no handle outlives its backend";
    CloseUSB();
    setUsbBackendFactory({});
}
