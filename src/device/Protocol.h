#pragma once
#include "UsbBackend.h"

#include <QByteArray>
#include <cstdint>

// The instrument's request/reply protocol: command codes, reply layouts, the identity rule and
// the statuses the program adds to those of the USB layer. Replies are little-endian.

// Command codes; no command carries a payload.
constexpr uint32_t CMD_GET_INFO = 1;    // reply: 20 bytes, TDeviceInfo
constexpr uint32_t CMD_GET_MODEL = 2;   // reply: ModelSize bytes, byte 0 unused
constexpr uint32_t CMD_BEGIN_READ = 3;  // no reply; starts the sequential read-out
constexpr uint32_t CMD_READ_RECORD = 4; // reply: 36 bytes, TDeviceMsrRecord
constexpr uint32_t CMD_GET_SCREEN = 6;  // reply: 1024 bytes, the display picture

constexpr device::Status STATUS_DRIVER_NAME_FAILED = 0x20000000; // no USB layer could be opened
constexpr device::Status STATUS_WRONG_DEVICE = 0x70000001;       // identity rule failed

// Reply to CMD_GET_INFO.
struct TDeviceInfo {
    uint32_t ModelSize = 0;
    uint32_t Reserved1 = 0;
    uint32_t DataVersion = 0;
    int32_t RecordCount = 0;
    uint32_t Reserved2 = 0;
};

// Reply to CMD_READ_RECORD, decoded field by field (the wire layout is packed, 36 bytes).
struct TDeviceMsrRecord {
    uint8_t Second = 0, Minute = 0, Hour = 0, Day = 0, Month = 0, Year = 0; // Year: minus 2000
    uint16_t Number = 0;
    double Load = 0;
    int32_t RatedLoad = 0;
    uint8_t NameLength = 0; // not bounded by the instrument; only 15 name bytes exist
    uint8_t Name[15] = {};
};

namespace device {

constexpr uint32_t kDeviceInfoSize = 20;
constexpr uint32_t kMsrRecordSize = 36;
constexpr uint32_t kScreenPictureSize = 1024;
constexpr uint32_t kMaxNameBytes = 15;

constexpr const char kExpectedModel[] = "ZOR-1.0";
constexpr uint32_t kExpectedDataVersion = 65537;

// Transfer statuses of the USB layers: 0x40000000 | -libusb_error.
constexpr Status usbStatus(int libusbError) {
    return 0x40000000u | static_cast<uint32_t>(-libusbError);
}
constexpr Status kStatusIo = usbStatus(-1);
constexpr Status kStatusAccess = usbStatus(-3);
constexpr Status kStatusNoDevice = usbStatus(-4); // also every command while none is attached
constexpr Status kStatusBusy = usbStatus(-6);
constexpr Status kStatusTimeout = usbStatus(-7);
constexpr Status kStatusInterrupted = usbStatus(-10); // the transfer was cancelled

// Statuses of the download for replies that cannot be honoured.
constexpr Status kStatusBadRecordCount = 0x70000002; // RecordCount negative
constexpr Status kStatusOutOfMemory = 0x70000003;    // results array could not grow

// Model replies longer than this are not asked for: they cannot carry the expected model.
constexpr uint32_t kMaxModelReply = 4096;

// The date-time given to a record whose stored date is not a valid one: 2000-01-01 01:00:00.
constexpr double kSubstituteDateTime = 36526.041666666664;

TDeviceInfo decodeDeviceInfo(const uint8_t* bytes); // reads 20 bytes
void encodeDeviceInfo(const TDeviceInfo& info, uint8_t* bytes);
TDeviceMsrRecord decodeMsrRecord(const uint8_t* bytes); // reads exactly 36 bytes
void encodeMsrRecord(const TDeviceMsrRecord& record, uint8_t* bytes);

// The model string of a model reply of `size` bytes: bytes 1..size-1, zero bytes included.
QByteArray modelFromReply(const uint8_t* reply, uint32_t size);
// The identity rule: model exactly "ZOR-1.0" and data version 65537.
bool isExpectedInstrument(const QByteArray& model, uint32_t dataVersion);

// The stored date-time, or kSubstituteDateTime when the bytes are not a valid date and time.
double recordDateTime(const TDeviceMsrRecord& record);
// The first NameLength name bytes, at most the 15 the record holds.
QByteArray recordName(const TDeviceMsrRecord& record);

// "XXXXXXXX": the status as the user sees it.
QByteArray statusText(Status status);

} // namespace device
