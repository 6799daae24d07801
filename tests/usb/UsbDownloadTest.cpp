// A whole download through the USB unit and the libusb backend reads exactly what the same
// scenario gives in-process.
#include "ScenarioResponder.h"

#include "device/LibusbBackend.h"
#include "device/Protocol.h"
#include "device/Scenario.h"
#include "device/SimulatedBackend.h"
#include "device/USB.h"
#include "download/Download.h"

#include <gtest/gtest.h>

namespace {

constexpr const char* kScenario = R"({
  "record_count": 4,
  "records": [
    {"date": "2024-03-01 08:30:15", "number": 1, "load": 12.5, "rated_load": 50, "name": "Балка 1"},
    {"date": "2024-03-01 08:31:00", "number": 2, "load": -0.25, "rated_load": 50, "name": "Bolt"},
    {"raw_hex": "3b3b170c0c63ffff000000000000f03fffffffff41414243444546474849404b4c4d4e4f"}
  ]
})";

// The whole download as zor-tool import runs it, over the program's link.
TArrayOfMsrResult download(std::unique_ptr<device::UsbBackend> backend, device::Status& status) {
    EXPECT_EQ(device::programLink().open(std::move(backend)), 0u);
    EXPECT_TRUE(DeviceConnected());
    TArrayOfMsrResult results;
    download::DownloadOutcome outcome = download::downloadAll(results);
    status = outcome.status;
    EXPECT_TRUE(outcome.completed);
    CloseUSB();
    return results;
}

TEST(UsbDownloadTest, ReadsOverLibusbWhatTheSimulationReads) {
    const device::Scenario scenario = device::parseScenario(QByteArray(kScenario));
    auto overUsb = std::make_shared<device::SimulatedInstrument>(scenario);
    zorinstrument::UsbEmulator emulator;
    emulator.plug(2, std::make_shared<zorinstrument::ScenarioResponder>(overUsb));

    device::Status usbStatus = 1, simStatus = 1;
    TArrayOfMsrResult viaUsb = download(device::createLibusbBackend(), usbStatus);
    TArrayOfMsrResult inProcess =
        download(std::make_unique<device::SimulatedBackend>(
                     std::make_shared<device::SimulatedInstrument>(scenario)),
                 simStatus);

    EXPECT_EQ(usbStatus, 0u);
    EXPECT_EQ(simStatus, 0u);
    ASSERT_EQ(viaUsb.size(), 4u);
    ASSERT_EQ(viaUsb.size(), inProcess.size());
    for (size_t i = 0; i < viaUsb.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(viaUsb[i].MsrDateTime, inProcess[i].MsrDateTime);
        EXPECT_EQ(viaUsb[i].MsrNumber, inProcess[i].MsrNumber);
        EXPECT_EQ(viaUsb[i].Load, inProcess[i].Load);
        EXPECT_EQ(viaUsb[i].RatedLoad, inProcess[i].RatedLoad);
        EXPECT_EQ(viaUsb[i].ObjectName, inProcess[i].ObjectName);
    }
    EXPECT_EQ(viaUsb[0].Load, 12.5);
    EXPECT_EQ(viaUsb[2].ObjectName, QByteArray("ABCDEFGHI@KLMNO")); // length 0x41 cut to 15
    EXPECT_EQ(overUsb->commands(),
              (std::vector<uint32_t>{CMD_GET_INFO, CMD_GET_MODEL, CMD_BEGIN_READ, CMD_READ_RECORD,
                                     CMD_READ_RECORD, CMD_READ_RECORD, CMD_READ_RECORD}));
}

} // namespace
