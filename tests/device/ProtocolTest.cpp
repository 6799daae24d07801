#include "device/Protocol.h"
#include "platform/DateTime.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <memory>

using namespace device;

namespace {

QByteArray recordBytes(std::initializer_list<uint8_t> date, uint8_t nameLength) {
    QByteArray b(kMsrRecordSize, '\0');
    int i = 0;
    for (uint8_t v : date)
        b[i++] = static_cast<char>(v);
    b[6] = 0x34; // number 0x1234
    b[7] = 0x12;
    const double load = 123.25;
    std::memcpy(b.data() + 8, &load, 8);
    b[16] = static_cast<char>(0xF4); // rated load -12
    b[17] = b[18] = b[19] = static_cast<char>(0xFF);
    b[20] = static_cast<char>(nameLength);
    for (int k = 0; k < 15; ++k)
        b[21 + k] = static_cast<char>('a' + k);
    return b;
}

} // namespace

TEST(Protocol, RecordFieldsAreLittleEndianAndTheNameStopsAtFifteenBytes) {
    // The record is copied into a buffer exactly 36 bytes long so a read past it would show
    // under a sanitizer.
    for (const auto& [length, expectedName] : {std::pair{0, QByteArray()},
                                               {3, QByteArray("abc")},
                                               {15, QByteArray("abcdefghijklmno")},
                                               {16, QByteArray("abcdefghijklmno")},
                                               {255, QByteArray("abcdefghijklmno")}}) {
        const QByteArray bytes = recordBytes({5, 4, 3, 2, 1, 26}, static_cast<uint8_t>(length));
        std::unique_ptr<uint8_t[]> exact(new uint8_t[kMsrRecordSize]);
        std::memcpy(exact.get(), bytes.constData(), kMsrRecordSize);
        const TDeviceMsrRecord r = decodeMsrRecord(exact.get());
        EXPECT_EQ(r.Number, 0x1234);
        EXPECT_EQ(r.Load, 123.25);
        EXPECT_EQ(r.RatedLoad, -12);
        EXPECT_EQ(recordName(r), expectedName) << "length byte " << length;
        uint8_t back[kMsrRecordSize];
        encodeMsrRecord(r, back);
        EXPECT_EQ(QByteArray(reinterpret_cast<char*>(back), kMsrRecordSize), bytes);
    }
}

TEST(Protocol, InvalidStoredDatesGetTheSubstituteDateTime) {
    EXPECT_EQ(kSubstituteDateTime,
              platform::encodeDateTime(platform::daysFromCivil(2000, 1, 1), 1, 0, 0, 0));
    struct Case {
        uint8_t sec, min, hour, day, month, year;
        std::array<int, 6> expected; // year, month, day, hour, minute, second; all 0: substitute
    };
    const Case cases[] = {
        {5, 4, 3, 2, 1, 26, {2026, 1, 2, 3, 4, 5}},
        {59, 59, 23, 29, 2, 24, {2024, 2, 29, 23, 59, 59}},
        {0, 0, 0, 1, 1, 255, {2255, 1, 1, 0, 0, 0}},
        {0, 0, 0, 30, 2, 26, {}},
        {0, 0, 0, 29, 2, 100, {}}, // 2100 is not a leap year
        {0, 0, 24, 1, 1, 26, {}},
        {0, 60, 0, 1, 1, 26, {}},
        {60, 0, 0, 1, 1, 26, {}},
        {0, 0, 0, 0, 1, 26, {}},
        {0, 0, 0, 1, 13, 26, {}},
        {0, 0, 0, 0, 0, 0, {}},
    };
    for (const Case& c : cases) {
        const QByteArray bytes = recordBytes({c.sec, c.min, c.hour, c.day, c.month, c.year}, 0);
        const double value =
            recordDateTime(decodeMsrRecord(reinterpret_cast<const uint8_t*>(bytes.constData())));
        const auto& e = c.expected;
        const double expected =
            e[0] == 0 ? kSubstituteDateTime
                      : platform::encodeDateTime(platform::daysFromCivil(e[0], e[1], e[2]), e[3],
                                                 e[4], e[5], 0);
        EXPECT_EQ(value, expected) << int(c.day) << "." << int(c.month) << "." << int(c.year) << " "
                                   << int(c.hour) << ":" << int(c.min) << ":" << int(c.sec);
    }
}

TEST(Protocol, IdentityRuleTakesTheModelReplyAfterByteZeroExactly) {
    struct Case {
        QByteArray reply;
        uint32_t version;
        bool accepted;
    };
    const Case cases[] = {
        {QByteArray("\x00ZOR-1.0", 8), 65537, true},
        {QByteArray("\x7FZOR-1.0", 8), 65537, true},
        {QByteArray("\x00ZOR-1.0\x00", 9), 65537, false},
        {QByteArray("\x00zor-1.0", 8), 65537, false},
        {QByteArray("\x00ZOR-1.0", 8), 65536, false},
        {QByteArray("\x00ZOR-1.0", 8), 65538, false},
        {QByteArray("\x00", 1), 65537, false},
        {QByteArray(), 65537, false},
    };
    for (const Case& c : cases) {
        const QByteArray model =
            modelFromReply(reinterpret_cast<const uint8_t*>(c.reply.constData()),
                           static_cast<uint32_t>(c.reply.size()));
        EXPECT_EQ(isExpectedInstrument(model, c.version), c.accepted)
            << c.reply.toHex().constData() << " " << c.version;
    }
}

TEST(Protocol, StatusTextIsEightUpperCaseDigits) {
    EXPECT_EQ(statusText(STATUS_WRONG_DEVICE), "70000001");
    EXPECT_EQ(statusText(kStatusTimeout), "40000007");
    EXPECT_EQ(statusText(0xabc), "00000ABC");
}
