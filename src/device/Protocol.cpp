#include "Protocol.h"

#include "platform/DateTime.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

Q_LOGGING_CATEGORY(lcDownload, "zor.download", QtWarningMsg)

namespace device {

// --- Layouts -------------------------------------------------------------------------------

namespace {
uint32_t readU32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
void writeU32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(v >> (8 * i));
}
double readDouble(const uint8_t* p) {
    uint64_t bits = 0;
    for (int i = 0; i < 8; ++i)
        bits |= uint64_t(p[i]) << (8 * i);
    double v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}
void writeDouble(uint8_t* p, double v) {
    uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    for (int i = 0; i < 8; ++i)
        p[i] = static_cast<uint8_t>(bits >> (8 * i));
}
} // namespace

TDeviceInfo decodeDeviceInfo(const uint8_t* bytes) {
    TDeviceInfo info;
    info.ModelSize = readU32(bytes);
    info.Reserved1 = readU32(bytes + 4);
    info.DataVersion = readU32(bytes + 8);
    info.RecordCount = static_cast<int32_t>(readU32(bytes + 12));
    info.Reserved2 = readU32(bytes + 16);
    return info;
}

void encodeDeviceInfo(const TDeviceInfo& info, uint8_t* bytes) {
    writeU32(bytes, info.ModelSize);
    writeU32(bytes + 4, info.Reserved1);
    writeU32(bytes + 8, info.DataVersion);
    writeU32(bytes + 12, static_cast<uint32_t>(info.RecordCount));
    writeU32(bytes + 16, info.Reserved2);
}

TDeviceMsrRecord decodeMsrRecord(const uint8_t* bytes) {
    TDeviceMsrRecord r;
    r.Second = bytes[0];
    r.Minute = bytes[1];
    r.Hour = bytes[2];
    r.Day = bytes[3];
    r.Month = bytes[4];
    r.Year = bytes[5];
    r.Number = static_cast<uint16_t>(bytes[6] | bytes[7] << 8);
    r.Load = readDouble(bytes + 8);
    r.RatedLoad = static_cast<int32_t>(readU32(bytes + 16));
    r.NameLength = bytes[20];
    std::memcpy(r.Name, bytes + 21, kMaxNameBytes);
    return r;
}

void encodeMsrRecord(const TDeviceMsrRecord& r, uint8_t* bytes) {
    const uint8_t head[] = {r.Second, r.Minute, r.Hour, r.Day, r.Month, r.Year};
    std::memcpy(bytes, head, sizeof head);
    bytes[6] = static_cast<uint8_t>(r.Number);
    bytes[7] = static_cast<uint8_t>(r.Number >> 8);
    writeDouble(bytes + 8, r.Load);
    writeU32(bytes + 16, static_cast<uint32_t>(r.RatedLoad));
    bytes[20] = r.NameLength;
    std::memcpy(bytes + 21, r.Name, kMaxNameBytes);
}

QByteArray modelFromReply(const uint8_t* reply, uint32_t size) {
    if (size <= 1)
        return {};
    return QByteArray(reinterpret_cast<const char*>(reply) + 1, static_cast<qsizetype>(size - 1));
}

bool isExpectedInstrument(const QByteArray& model, uint32_t dataVersion) {
    return model == QByteArray(kExpectedModel) && dataVersion == kExpectedDataVersion;
}

double recordDateTime(const TDeviceMsrRecord& r) {
    platform::CivilDateTime c;
    c.year = 2000 + r.Year;
    c.month = r.Month;
    c.day = r.Day;
    c.hour = r.Hour;
    c.minute = r.Minute;
    c.second = r.Second;
    c.msec = 0;
    double value = kSubstituteDateTime;
    platform::tryEncodeDateTime(c, value);
    return value;
}

QByteArray recordName(const TDeviceMsrRecord& r) {
    const auto length = std::min<uint32_t>(r.NameLength, kMaxNameBytes);
    return QByteArray(reinterpret_cast<const char*>(r.Name), static_cast<qsizetype>(length));
}

QByteArray statusText(Status status) {
    return QByteArray::number(status, 16).toUpper().rightJustified(8, '0');
}

// --- Send and receive ----------------------------------------------------------------------

Status ask(UsbLink& link, uint32_t code, uint8_t* reply, uint32_t size) {
    return link.command(code, nullptr, 0, reply, size);
}

Status tell(UsbLink& link, uint32_t code) {
    return link.command(code, nullptr, 0, nullptr, 0);
}

// --- Conversations -------------------------------------------------------------------------

namespace {

bool stopRequested(const ReadOutEvents& events) {
    if (!events.stopRequested || !events.stopRequested())
        return false;
    qCDebug(lcDownload) << "stop requested: the read-out ends here";
    return true;
}

// Commands 1 and 2 and the identity rule. The instrument's information when the read-out may
// go on; otherwise nothing, `status` being what the read-out ends with (0 after a stop).
std::optional<TDeviceInfo> identify(UsbLink& link, const ReadOutEvents& events, Status& status) {
    uint8_t infoBytes[kDeviceInfoSize] = {};
    status = ask(link, CMD_GET_INFO, infoBytes, kDeviceInfoSize);
    if (status != 0 || stopRequested(events))
        return std::nullopt;
    const TDeviceInfo info = decodeDeviceInfo(infoBytes);
    qCDebug(lcDownload).nospace() << "information: model reply " << info.ModelSize
                                  << " bytes, data version " << info.DataVersion << ", "
                                  << info.RecordCount << " results stored";

    QByteArray model;
    if (info.ModelSize > kMaxModelReply) {
        qCDebug(lcDownload) << "model reply too long to be the expected model: not asked for";
        status = STATUS_WRONG_DEVICE; // not worth the allocation
        return std::nullopt;
    }
    if (info.ModelSize > 0) {
        std::vector<uint8_t> reply(info.ModelSize, 0);
        status = ask(link, CMD_GET_MODEL, reply.data(), info.ModelSize);
        if (status != 0 || stopRequested(events))
            return std::nullopt;
        model = modelFromReply(reply.data(), info.ModelSize);
    }
    if (!isExpectedInstrument(model, info.DataVersion)) {
        qCDebug(lcDownload) << "not the expected instrument: model" << model.toHex(' ')
                            << "data version" << info.DataVersion;
        status = STATUS_WRONG_DEVICE;
        return std::nullopt;
    }
    return info;
}

void logRecord(int32_t index, int32_t count, const TDeviceMsrRecord& r) {
    // The stored bytes as they came, before an invalid date gets its substitute.
    qCDebug(lcDownload).noquote().nospace()
        << "record " << index + 1 << " of " << count << ": "
        << QString::asprintf("%04d-%02d-%02d %02d:%02d:%02d", 2000 + r.Year, r.Month, r.Day, r.Hour,
                             r.Minute, r.Second)
        << ", number " << r.Number << ", load " << r.Load << ", rated load " << r.RatedLoad
        << ", name " << r.NameLength << " bytes";
}

} // namespace

ReadOutEnd readStoredResults(UsbLink& link, const ReadOutEvents& events) {
    ReadOutEnd end;
    const std::optional<TDeviceInfo> info = identify(link, events, end.status);
    if (!info)
        return end;
    if (info->RecordCount < 0) {
        end.status = kStatusBadRecordCount;
        return end;
    }
    const int32_t count = info->RecordCount;
    if (count == 0) {
        end.complete = true;
        return end;
    }

    if (events.starting)
        events.starting(count);
    end.status = tell(link, CMD_BEGIN_READ);
    if (end.status != 0 || stopRequested(events))
        return end;
    // Not cleared between commands: a short reply keeps the earlier bytes, as the link does.
    uint8_t recordBytes[kMsrRecordSize] = {};
    for (int32_t i = 0; i < count; ++i) {
        if (events.reading)
            events.reading(i, count);
        end.status = ask(link, CMD_READ_RECORD, recordBytes, kMsrRecordSize);
        if (end.status != 0 || stopRequested(events))
            return end;
        const TDeviceMsrRecord record = decodeMsrRecord(recordBytes);
        if (lcDownload().isDebugEnabled())
            logRecord(i, count, record);
        if (events.received)
            events.received(record);
    }
    end.complete = true;
    return end;
}

Status readScreen(UsbLink& link, uint8_t* picture) {
    return ask(link, CMD_GET_SCREEN, picture, kScreenPictureSize);
}

} // namespace device
