#pragma once
#include "USB.h"

#include "platform/Product.h"

#include <QByteArray>
#include <QLoggingCategory>
#include <cstdint>
#include <functional>

// The instrument's driver, top-down: what the instrument is and says (command codes, reply
// layouts, the identity rule, the statuses the program adds to those of the USB layer), how a
// command is sent and its reply received over a link, and the two conversations the program
// holds with it: the read-out of the stored results and the screen picture.
// Replies are little-endian.

// "zor.download": the read-out as the instrument answers it (information, identity, each
// record) and the worker's start and end. Off unless QT_LOGGING_RULES turns it on.
Q_DECLARE_LOGGING_CATEGORY(lcDownload)

// --- Constants -----------------------------------------------------------------------------

// Command codes; no command carries a payload.
constexpr uint32_t CMD_GET_INFO = 1;    // reply: 20 bytes, TDeviceInfo
constexpr uint32_t CMD_GET_MODEL = 2;   // reply: ModelSize bytes, byte 0 unused
constexpr uint32_t CMD_BEGIN_READ = 3;  // no reply; starts the sequential read-out
constexpr uint32_t CMD_READ_RECORD = 4; // reply: 36 bytes, TDeviceMsrRecord
constexpr uint32_t CMD_GET_SCREEN = 6;  // reply: 1024 bytes, the display picture

constexpr device::Status STATUS_WRONG_DEVICE = 0x70000001; // identity rule failed

namespace device {

constexpr uint32_t kDeviceInfoSize = 20;
constexpr uint32_t kMsrRecordSize = 36;
constexpr uint32_t kMaxNameBytes = 15;

// The display: 128 x 64 pixels sent as 8 bands of 8 rows, one byte per column of a band.
constexpr int kScreenWidth = 128;
constexpr int kScreenHeight = 64;
constexpr uint32_t kScreenPictureSize = kScreenWidth * kScreenHeight / 8;

// The one instrument the program talks to; a project file carries the same pair.
// The instrument this program serves; a project file names the same model and version.
constexpr const char* kExpectedModel = platform::kModelName;
constexpr uint32_t kExpectedDataVersion = platform::kDataVersion;

// Statuses of the read-out for replies that cannot be honoured.
constexpr Status kStatusBadRecordCount = 0x70000002; // RecordCount negative
constexpr Status kStatusOutOfMemory = 0x70000003;    // results array could not grow

// Model replies longer than this are not asked for: they cannot carry the expected model.
constexpr uint32_t kMaxModelReply = 4096;

// The date-time given to a record whose stored date is not a valid one: 2000-01-01 01:00:00.
constexpr double kSubstituteDateTime = 36526.041666666664;

} // namespace device

// --- Layouts -------------------------------------------------------------------------------

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

// --- Send and receive ----------------------------------------------------------------------

// One command with a reply of `size` bytes into `reply` (not cleared first: a short reply
// leaves the rest as it was).
Status ask(UsbLink& link, uint32_t code, uint8_t* reply, uint32_t size);
// One command without a reply.
Status tell(UsbLink& link, uint32_t code);

// --- Conversations -------------------------------------------------------------------------

// What the read-out tells its caller as it goes. Every member may be left empty. An exception
// thrown by one of them ends the read-out and reaches the caller.
struct ReadOutEvents {
    // Asked after every command that succeeded; true ends the read-out there with status 0.
    std::function<bool()> stopRequested;
    // The instrument holds `count` (> 0) results; called once, before the read-out begins.
    std::function<void(int32_t count)> starting;
    // Result `index` (0-based) of `count` is about to be asked for.
    std::function<void(int32_t index, int32_t count)> reading;
    // The result just read, in read-out order; not called for one a stop cut off.
    std::function<void(const TDeviceMsrRecord& record)> received;
};

struct ReadOutEnd {
    Status status = 0;
    bool complete = false; // every stored result was received (also when none is stored)
};

// The read-out of the stored results: information (1), model (2, when ModelSize > 0), the
// identity rule, then the sequential read-out (3, and 4 once per stored result). Any failed
// command ends it with that command's status; nothing is repeated.
ReadOutEnd readStoredResults(UsbLink& link, const ReadOutEvents& events);

// The screen picture: command 6 alone, kScreenPictureSize bytes into `picture`.
Status readScreen(UsbLink& link, uint8_t* picture);

} // namespace device
