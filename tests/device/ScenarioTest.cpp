#include "device/Scenario.h"
#include "device/Protocol.h"
#include "device/SimulatedInstrument.h"
#include "platform/Error.h"

#include <gtest/gtest.h>

using namespace device;

namespace {

QString parseError(const QByteArray& json) {
    try {
        parseScenario(json);
    } catch (const zor::Error& e) {
        return e.text();
    }
    return {};
}

QByteArray replyOf(SimulatedInstrument& instrument, uint32_t code) {
    const uint8_t frame[4] = {uint8_t(code), 0, 0, 0};
    return instrument.receive(frame, 4).reply;
}

} // namespace

TEST(Scenario, EmptyObjectIsAnAttachedInstrumentWithNoResults) {
    const Scenario s = parseScenario("{}");
    EXPECT_TRUE(s.attached);
    EXPECT_EQ(s.modelReply, QByteArray("\0ZOR-1.0", 8));
    EXPECT_EQ(s.modelSize, 8u);
    EXPECT_EQ(s.dataVersion, 65537u);
    EXPECT_EQ(s.recordCount, 0);
    EXPECT_EQ(s.screen, QByteArray(1024, '\0'));
    EXPECT_TRUE(s.fail.empty());
    EXPECT_FALSE(s.unplugBefore);
    EXPECT_EQ(s.replyDelayMs, 0u);
}

TEST(Scenario, RecordsAsObjectsAndRawBytes) {
    const Scenario s = parseScenario(R"({
        "records": [
            {"date": "2026-03-14 09:26:53", "number": 513, "load": 12.5, "rated_load": 500,
             "name": "«Опора» №7—"},
            {"date": "2026-03-14 09:26:53", "day": 31, "month": 2, "name_hex": "41 42",
             "name_length": 200},
            {"raw_hex": "01 02 03 04 05 06 07 08 00 00 00 00 00 00 00 00 00 00 00 00 03 41 42 43 00 00 00 00 00 00 00 00 00 00 00 00"}
        ],
        "model": "XYZ", "data_version": 1, "screen_hex": ")" +
                                     QByteArray(2048, 'f') + R"("})");
    ASSERT_EQ(s.records.size(), 3u);
    EXPECT_EQ(s.recordCount, 3);
    EXPECT_EQ(s.modelReply, QByteArray("\0XYZ", 4));
    EXPECT_EQ(s.modelSize, 4u);
    EXPECT_EQ(s.screen, QByteArray(1024, '\xff'));

    const auto record = [&](int i) {
        return decodeMsrRecord(reinterpret_cast<const uint8_t*>(s.records[i].constData()));
    };
    const TDeviceMsrRecord a = record(0);
    EXPECT_EQ((std::vector<int>{a.Second, a.Minute, a.Hour, a.Day, a.Month, a.Year}),
              (std::vector<int>{53, 26, 9, 14, 3, 26}));
    EXPECT_EQ(a.Number, 513);
    EXPECT_EQ(a.Load, 12.5);
    EXPECT_EQ(a.RatedLoad, 500);
    EXPECT_EQ(recordName(a),
              QByteArray("\xAB\xCE\xEF\xEE\xF0\xE0\xBB \xB9\x37\x97")); // Windows-1251
    const TDeviceMsrRecord b = record(1);
    EXPECT_EQ(b.Day, 31);
    EXPECT_EQ(b.Month, 2);
    EXPECT_EQ(b.NameLength, 200);
    EXPECT_EQ(recordName(b), QByteArray("AB") + QByteArray(13, '\0')); // all 15 bytes held
    EXPECT_EQ(record(2).Number, 0x0807);
    EXPECT_EQ(recordName(record(2)), QByteArray("ABC"));
}

TEST(Scenario, InvalidScenariosNameTheKeyAndTheProblem) {
    struct Case {
        const char* json;
        const char* mentions;
    };
    const Case cases[] = {
        {"[1]", "объект"},
        {"{\"attached\": tru}", "JSON"},
        {"{\"atached\": true}", "\"atached\""},
        {"{\"records\": [{\"nmae\": \"x\"}]}", "records[0].nmae"},
        {"{\"records\": [{\"raw_hex\": \"00\", \"number\": 1}]}", "records[0].number"},
        {"{\"attached\": 1}", "attached"},
        {"{\"model\": 5}", "model"},
        {"{\"model\": \"Ж\"}", "model"},
        {"{\"model_size\": -1}", "model_size"},
        {"{\"model_size\": 4294967296}", "model_size"},
        {"{\"data_version\": 1.5}", "data_version"},
        {"{\"record_count\": 2147483648}", "record_count"},
        {"{\"records\": {}}", "records"},
        {"{\"records\": [{\"raw_hex\": \"00 11\"}]}", "records[0].raw_hex"},
        {"{\"records\": [{\"date\": \"2026-02-30 00:00:00\"}]}", "records[0].date"},
        {"{\"records\": [{\"date\": \"1999-12-31 23:59:59\"}]}", "records[0].date"},
        {"{\"records\": [{\"date\": \"2026-01-01\"}]}", "records[0].date"},
        {"{\"records\": [{}, {\"month\": 256}]}", "records[1].month"},
        {"{\"records\": [{\"number\": 65536}]}", "records[0].number"},
        {"{\"records\": [{\"rated_load\": 2147483648}]}", "records[0].rated_load"},
        {"{\"records\": [{\"name\": \"0123456789abcdef\"}]}", "records[0].name"},
        {"{\"records\": [{\"name\": \"日本\"}]}", "records[0].name"},
        {"{\"records\": [{\"name_hex\": \"zz\"}]}", "records[0].name_hex"},
        {"{\"records\": [{\"load\": \"1\"}]}", "records[0].load"},
        {"{\"screen_hex\": \"00\"}", "screen_hex"},
        {"{\"fail\": [{\"command\": 1, \"status\": 0}]}", "fail[0].status"},
        {"{\"fail\": [{\"command\": 1, \"status\": \"40000007\"}]}", "fail[0].status"},
        {"{\"fail\": [{\"command\": 1, \"occurrence\": 0, \"status\": 1}]}", "fail[0].occurrence"},
        {"{\"fail\": [{\"command\": 1, \"status\": 1, \"when\": 2}]}", "fail[0].when"},
        {"{\"unplug_before\": {\"occurrence\": 2}}", "unplug_before.command"},
        {"{\"short_reply\": {\"command\": 4, \"bytes\": -1}}", "short_reply.bytes"},
        {"{\"reply_delay_ms\": -5}", "reply_delay_ms"},
    };
    for (const Case& c : cases) {
        const QString error = parseError(c.json);
        EXPECT_TRUE(error.contains(QString::fromUtf8(c.mentions)))
            << c.json << " -> " << error.toStdString();
    }
}

TEST(Scenario, UnreadableFileSaysWhich) {
    try {
        loadScenarioFile("/nonexistent/scenario.json");
        FAIL();
    } catch (const zor::Error& e) {
        EXPECT_TRUE(e.text().contains("/nonexistent/scenario.json"));
    }
}

TEST(SimulatedInstrument, AnswersFromTheScenarioWithItsFaults) {
    SimulatedInstrument instrument(parseScenario(R"({
        "model_size": 9, "record_count": 3, "records": [{"number": 7}],
        "fail": [{"command": 4, "occurrence": 2, "status": "0x40000001"}],
        "short_reply": {"command": 1, "occurrence": 2, "bytes": 4},
        "unplug_before": {"command": 6, "occurrence": 1},
        "reply_delay_ms": 12})"));
    SimulatedInstrument::Answer info = [&] {
        const uint8_t frame[4] = {1, 0, 0, 0};
        return instrument.receive(frame, 4);
    }();
    ASSERT_TRUE(info.hasReply);
    EXPECT_EQ(info.delayMs, 12u);
    const TDeviceInfo decoded =
        decodeDeviceInfo(reinterpret_cast<const uint8_t*>(info.reply.data()));
    EXPECT_EQ(decoded.ModelSize, 9u);
    EXPECT_EQ(decoded.RecordCount, 3);
    EXPECT_EQ(replyOf(instrument, 1).size(), 4); // the second sending is cut short
    EXPECT_EQ(replyOf(instrument, 2), QByteArray("\0ZOR-1.0", 8)); // model_size does not pad
    EXPECT_EQ(
        decodeMsrRecord(reinterpret_cast<const uint8_t*>(replyOf(instrument, 4).data())).Number, 7);
    const uint8_t read[4] = {4, 0, 0, 0};
    EXPECT_EQ(instrument.receive(read, 4).status, kStatusIo);
    EXPECT_EQ(replyOf(instrument, 4), QByteArray(36, '\0')); // past the records: zeros
    const uint8_t begin[4] = {3, 0, 0, 0};
    EXPECT_FALSE(instrument.receive(begin, 4).hasReply);
    EXPECT_EQ(
        decodeMsrRecord(reinterpret_cast<const uint8_t*>(replyOf(instrument, 4).data())).Number,
        7); // CMD_BEGIN_READ starts over
    const uint8_t screen[4] = {6, 0, 0, 0};
    const auto gone = instrument.receive(screen, 4);
    EXPECT_TRUE(gone.unplugged);
    EXPECT_FALSE(instrument.attached());
    EXPECT_EQ(instrument.receive(read, 4).status, kStatusNoDevice);
    EXPECT_EQ(instrument.commands(), (std::vector<uint32_t>{1, 1, 2, 4, 4, 4, 3, 4}));
}
