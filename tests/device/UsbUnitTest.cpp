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
        auto b = std::make_unique<LoggingBackend>(instrument, log);
        backend = b.get();
        ASSERT_EQ(link.open(std::move(b)), 0u);
    }

    std::shared_ptr<SimulatedInstrument> instrument;
    std::vector<Transfer> log;
    LoggingBackend* backend = nullptr;
    UsbLink link; // last: closed before the log it writes to goes
};

} // namespace

TEST_F(UsbUnit, FramesAreTheCodeThenAtMostSixtyPayloadBytes) {
    open("{}");
    ASSERT_TRUE(link.connected());
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
        EXPECT_EQ(link.command(0x0A0B0C0D, c.data, c.length, nullptr, 0), 0u);
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
    EXPECT_EQ(link.command(CMD_GET_INFO, nullptr, 0, reply, 20), 0u);
    EXPECT_GE(timer.nsecsElapsed(), 1000000); // the 1 ms pause between write and read
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[1].pipe, 0x81);
    EXPECT_TRUE(log[1].read);
    EXPECT_EQ(log[1].length, 20u);
    EXPECT_EQ(decodeDeviceInfo(reply).ModelSize, 77u);
    EXPECT_EQ(reply[20], 0xEE);

    std::memset(reply, 0xEE, sizeof reply);
    EXPECT_EQ(link.command(CMD_GET_INFO, nullptr, 0, reply, 20), 0u);
    EXPECT_EQ(decodeDeviceInfo(reply).ModelSize, 77u);
    EXPECT_EQ(reply[4], 0xEE); // not delivered, not touched
}

TEST_F(UsbUnit, FailedWriteReturnsItsStatusWithoutReading) {
    open(R"({"fail": [{"command": 1, "status": 1073741831}]})");
    uint8_t reply[20];
    EXPECT_EQ(link.command(CMD_GET_INFO, nullptr, 0, reply, 20), kStatusTimeout);
    EXPECT_EQ(log.size(), 1u);
}

TEST_F(UsbUnit, AttachDetachAndASecondDeviceRefused) {
    open(R"({"attached": false})");
    uint8_t reply[20];
    EXPECT_FALSE(link.connected());
    EXPECT_EQ(link.command(CMD_GET_INFO, nullptr, 0, reply, 20), kStatusNoDevice);

    EXPECT_TRUE(backend->plug());
    EXPECT_TRUE(link.connected());
    EXPECT_FALSE(backend->plugSecondDevice());
    EXPECT_EQ(link.command(CMD_GET_INFO, nullptr, 0, reply, 20), 0u) << "the first stays in use";

    backend->unplug();
    EXPECT_FALSE(link.connected());
    EXPECT_EQ(link.command(CMD_GET_INFO, nullptr, 0, reply, 20), kStatusNoDevice);
    EXPECT_TRUE(backend->plug());
    EXPECT_TRUE(link.connected());
}

TEST_F(UsbUnit, UnplugBeforeACommandDetachesAndFailsTheRest) {
    open(R"({"unplug_before": {"command": 6, "occurrence": 1}})");
    uint8_t screen[1024];
    EXPECT_EQ(link.command(CMD_GET_SCREEN, nullptr, 0, screen, 1024), kStatusNoDevice);
    EXPECT_FALSE(link.connected());
    EXPECT_EQ(link.command(CMD_GET_INFO, nullptr, 0, screen, 20), kStatusNoDevice);
    EXPECT_TRUE(instrument->commands().empty());
}

TEST_F(UsbUnit, CancelInterruptsAReplyThatIsLate) {
    open(R"({"reply_delay_ms": 1900})");
    uint8_t reply[20];
    std::thread canceller([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        link.cancelTransfers();
    });
    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(link.command(CMD_GET_INFO, nullptr, 0, reply, 20), kStatusInterrupted);
    EXPECT_LT(timer.elapsed(), 1500);
    canceller.join();
}

TEST_F(UsbUnit, ClosingUnderACommandInFlightFailsItWithoutFreeingTheBackendUnderIt) {
    open(R"({"reply_delay_ms": 1900})");
    Status status = 0;
    QElapsedTimer timer;
    timer.start();
    std::thread commander([&] {
        uint8_t reply[20];
        status = link.command(CMD_GET_INFO, nullptr, 0, reply, 20);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    link.close();
    commander.join();
    EXPECT_EQ(status, kStatusInterrupted);
    EXPECT_LT(timer.elapsed(), 1500);
    EXPECT_FALSE(link.connected());
}

TEST(UsbUnitLifecycle, ClosingTwiceOrAfterAFailedOpenDoesNothing) {
    UsbLink link;
    link.close();
    EXPECT_EQ(link.open(nullptr), STATUS_DRIVER_NAME_FAILED);
    EXPECT_FALSE(link.connected());
    uint8_t reply[20];
    EXPECT_NE(link.command(CMD_GET_INFO, nullptr, 0, reply, 20), 0u);
    link.close();
    link.close();

    auto instrument = std::make_shared<SimulatedInstrument>(defaultScenario());
    ASSERT_EQ(link.open(std::make_unique<SimulatedBackend>(instrument)), 0u);
    EXPECT_TRUE(link.connected());
    link.close();
    EXPECT_FALSE(link.connected()) << "no handle outlives its backend";
    EXPECT_EQ(link.command(CMD_GET_INFO, nullptr, 0, reply, 20), kStatusNoDevice);
    link.close();
}

TEST(UsbUnitLifecycle, TheProgramsEntryPointsActOnTheProgramsLink) {
    auto instrument = std::make_shared<SimulatedInstrument>(defaultScenario());
    ASSERT_EQ(openSimulatedLink(instrument), 0u);
    EXPECT_TRUE(DeviceConnected());
    uint8_t reply[kDeviceInfoSize];
    EXPECT_EQ(DeviceCommand(CMD_GET_INFO, nullptr, 0, reply, sizeof reply), 0u);
    EXPECT_EQ(decodeDeviceInfo(reply).DataVersion, kExpectedDataVersion);
    CancelDeviceTransfers(); // nothing in flight: no effect on what follows
    EXPECT_EQ(DeviceCommand(CMD_BEGIN_READ, nullptr, 0, nullptr, 0), 0u);
    CloseUSB();
    EXPECT_FALSE(DeviceConnected());
    EXPECT_EQ(DeviceCommand(CMD_GET_INFO, nullptr, 0, reply, sizeof reply), kStatusNoDevice);
    EXPECT_EQ(instrument->commands(), (std::vector<uint32_t>{CMD_GET_INFO, CMD_BEGIN_READ}));
}
