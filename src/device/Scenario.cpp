#include "Scenario.h"

#include "Protocol.h"
#include "platform/Cp1251.h"
#include "platform/DateTime.h"
#include "platform/Error.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <cmath>
#include <initializer_list>

namespace device {

namespace {

[[noreturn]] void fail(const QString& path, const QString& what) {
    throw zor::Error(QStringLiteral("Сценарий, \"%1\": %2").arg(path, what));
}

// Reads the keys of one JSON object, each under its path, and refuses keys nobody asked for.
class ObjectReader {
public:
    ObjectReader(const QJsonValue& value, QString path) : m_path(std::move(path)) {
        if (!value.isObject())
            fail(m_path, QStringLiteral("ожидается объект"));
        m_object = value.toObject();
    }

    void allowOnly(std::initializer_list<const char*> keys) const {
        for (auto it = m_object.begin(); it != m_object.end(); ++it) {
            bool known = false;
            for (const char* k : keys)
                known = known || it.key() == QLatin1String(k);
            if (!known)
                throw zor::Error(
                    QStringLiteral("Сценарий: неизвестный ключ \"%1\"").arg(pathOf(it.key())));
        }
    }

    bool has(const char* key) const { return m_object.contains(QLatin1String(key)); }
    QJsonValue value(const char* key) const { return m_object.value(QLatin1String(key)); }
    QString pathOf(const QString& key) const { return m_path.isEmpty() ? key : m_path + '.' + key; }
    QString pathOf(const char* key) const { return pathOf(QString::fromLatin1(key)); }

    bool boolean(const char* key) const {
        const QJsonValue v = value(key);
        if (!v.isBool())
            fail(pathOf(key), QStringLiteral("ожидается true или false"));
        return v.toBool();
    }

    int64_t integer(const char* key, int64_t min, int64_t max) const {
        return integerValue(value(key), pathOf(key), min, max);
    }

    static int64_t integerValue(const QJsonValue& v, const QString& path, int64_t min,
                                int64_t max) {
        const double d = v.toDouble();
        if (!v.isDouble() || !std::isfinite(d) || d != std::floor(d) || d < double(min) ||
            d > double(max))
            fail(path, QStringLiteral("ожидается целое число от %1 до %2").arg(min).arg(max));
        return static_cast<int64_t>(d);
    }

    double number(const char* key) const {
        const QJsonValue v = value(key);
        if (!v.isDouble() || !std::isfinite(v.toDouble()))
            fail(pathOf(key), QStringLiteral("ожидается число"));
        return v.toDouble();
    }

    QString string(const char* key) const {
        const QJsonValue v = value(key);
        if (!v.isString())
            fail(pathOf(key), QStringLiteral("ожидается строка"));
        return v.toString();
    }

    QByteArray hex(const char* key) const {
        QString text = string(key);
        text.remove(QRegularExpression(QStringLiteral("\\s")));
        static const QRegularExpression hexDigits(QStringLiteral("^([0-9A-Fa-f]{2})*$"));
        if (!hexDigits.match(text).hasMatch())
            fail(pathOf(key),
                 QStringLiteral("ожидаются шестнадцатеричные байты (пары цифр 0-9, A-F)"));
        return QByteArray::fromHex(text.toLatin1());
    }

    QJsonArray array(const char* key) const {
        const QJsonValue v = value(key);
        if (!v.isArray())
            fail(pathOf(key), QStringLiteral("ожидается массив"));
        return v.toArray();
    }

private:
    QJsonObject m_object;
    QString m_path;
};

constexpr int64_t kU32Max = 0xFFFFFFFFll;
constexpr int64_t kI32Min = -0x80000000ll;
constexpr int64_t kI32Max = 0x7FFFFFFFll;

// Object names are kept in Windows-1251; a character the code page lacks would not come back.
bool toCp1251(const QString& text, QByteArray& out) {
    out = platform::toCp1251(text);
    return platform::fromCp1251(out) == text;
}

CommandOccurrence readOccurrence(const ObjectReader& r) {
    CommandOccurrence when;
    when.command = static_cast<uint32_t>(r.integer("command", 0, kU32Max));
    when.occurrence =
        r.has("occurrence") ? static_cast<uint32_t>(r.integer("occurrence", 1, kU32Max)) : 1;
    return when;
}

Status readStatus(const ObjectReader& r) {
    const QJsonValue v = r.value("status");
    const QString path = r.pathOf("status");
    int64_t status = 0;
    if (v.isString()) {
        const QString text = v.toString();
        bool ok = text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive) && text.size() > 2 &&
                  text.size() <= 10;
        status = ok ? static_cast<int64_t>(text.mid(2).toULongLong(&ok, 16)) : 0;
        if (!ok)
            fail(path, QStringLiteral("ожидается \"0x\" и до восьми шестнадцатеричных цифр"));
    } else {
        status = ObjectReader::integerValue(v, path, 0, kU32Max);
    }
    if (status == 0)
        fail(path, QStringLiteral("статус отказа не может быть 0"));
    return static_cast<Status>(status);
}

void readDate(const ObjectReader& r, TDeviceMsrRecord& rec) {
    static const QRegularExpression form(
        QStringLiteral("^(\\d{4})-(\\d{2})-(\\d{2}) (\\d{2}):(\\d{2}):(\\d{2})$"));
    const auto m = form.match(r.string("date"));
    int part[6] = {};
    for (int i = 0; i < 6 && m.hasMatch(); ++i)
        part[i] = m.captured(i + 1).toInt();
    if (!m.hasMatch() || !platform::isValidDate(part[0], part[1], part[2]) ||
        !platform::isValidTime(part[3], part[4], part[5], 0))
        fail(r.pathOf("date"), QStringLiteral("ожидается верная дата \"ГГГГ-ММ-ДД чч:мм:сс\""));
    if (part[0] < 2000 || part[0] > 2255)
        fail(r.pathOf("date"), QStringLiteral("год должен быть от 2000 до 2255"));
    rec.Year = static_cast<uint8_t>(part[0] - 2000);
    rec.Month = static_cast<uint8_t>(part[1]);
    rec.Day = static_cast<uint8_t>(part[2]);
    rec.Hour = static_cast<uint8_t>(part[3]);
    rec.Minute = static_cast<uint8_t>(part[4]);
    rec.Second = static_cast<uint8_t>(part[5]);
}

void readName(const ObjectReader& r, TDeviceMsrRecord& rec) {
    QByteArray name;
    if (r.has("name_hex")) {
        name = r.hex("name_hex");
    } else if (r.has("name")) {
        if (!toCp1251(r.string("name"), name))
            fail(r.pathOf("name"), QStringLiteral("символ вне кодировки Windows-1251"));
    }
    if (name.size() > qsizetype(kMaxNameBytes))
        fail(r.pathOf(r.has("name_hex") ? "name_hex" : "name"),
             QStringLiteral("длиннее %1 байт").arg(kMaxNameBytes));
    std::copy(name.begin(), name.end(), rec.Name);
    rec.NameLength =
        static_cast<uint8_t>(r.has("name_length") ? r.integer("name_length", 0, 255) : name.size());
}

QByteArray readRecord(const QJsonValue& value, const QString& path) {
    const ObjectReader r(value, path);
    QByteArray bytes(kMsrRecordSize, '\0');
    if (r.has("raw_hex")) {
        r.allowOnly({"raw_hex"});
        bytes = r.hex("raw_hex");
        if (bytes.size() != qsizetype(kMsrRecordSize))
            fail(r.pathOf("raw_hex"), QStringLiteral("ожидается %1 байт, задано %2")
                                          .arg(kMsrRecordSize)
                                          .arg(bytes.size()));
        return bytes;
    }
    r.allowOnly({"date", "second", "minute", "hour", "day", "month", "year", "number", "load",
                 "rated_load", "name", "name_hex", "name_length"});
    TDeviceMsrRecord rec;
    if (r.has("date"))
        readDate(r, rec);
    const std::pair<const char*, uint8_t*> raw[] = {
        {"second", &rec.Second}, {"minute", &rec.Minute}, {"hour", &rec.Hour},
        {"day", &rec.Day},       {"month", &rec.Month},   {"year", &rec.Year}};
    for (const auto& [key, field] : raw)
        if (r.has(key))
            *field = static_cast<uint8_t>(r.integer(key, 0, 255));
    if (r.has("number"))
        rec.Number = static_cast<uint16_t>(r.integer("number", 0, 65535));
    if (r.has("load"))
        rec.Load = r.number("load");
    if (r.has("rated_load"))
        rec.RatedLoad = static_cast<int32_t>(r.integer("rated_load", kI32Min, kI32Max));
    readName(r, rec);
    encodeMsrRecord(rec, reinterpret_cast<uint8_t*>(bytes.data()));
    return bytes;
}

void readModel(const ObjectReader& r, Scenario& s) {
    if (r.has("model")) {
        const QString model = r.string("model");
        for (const QChar ch : model)
            if (ch.unicode() > 0xFF)
                fail(r.pathOf("model"), QStringLiteral("символ вне Latin-1"));
        s.modelReply = QByteArray(1, '\0') + model.toLatin1();
    }
    if (r.has("model_reply_hex"))
        s.modelReply = r.hex("model_reply_hex");
    s.modelSize = r.has("model_size") ? static_cast<uint32_t>(r.integer("model_size", 0, kU32Max))
                                      : static_cast<uint32_t>(s.modelReply.size());
}

void readFaults(const ObjectReader& r, Scenario& s) {
    if (r.has("fail")) {
        const QJsonArray rules = r.array("fail");
        for (qsizetype i = 0; i < rules.size(); ++i) {
            const ObjectReader rule(rules[i], r.pathOf("fail") + QStringLiteral("[%1]").arg(i));
            rule.allowOnly({"command", "occurrence", "status"});
            s.fail.push_back({readOccurrence(rule), readStatus(rule)});
        }
    }
    if (r.has("unplug_before")) {
        const ObjectReader rule(r.value("unplug_before"), r.pathOf("unplug_before"));
        rule.allowOnly({"command", "occurrence"});
        s.unplugBefore = readOccurrence(rule);
    }
    if (r.has("short_reply")) {
        const ObjectReader rule(r.value("short_reply"), r.pathOf("short_reply"));
        rule.allowOnly({"command", "occurrence", "bytes"});
        s.shortReply = ShortReply{readOccurrence(rule),
                                  static_cast<uint32_t>(rule.integer("bytes", 0, kU32Max))};
    }
    if (r.has("reply_delay_ms"))
        s.replyDelayMs = static_cast<uint32_t>(r.integer("reply_delay_ms", 0, 3600000));
}

} // namespace

Scenario defaultScenario() {
    Scenario s;
    s.modelReply = QByteArray(1, '\0') + QByteArray(kExpectedModel);
    s.modelSize = static_cast<uint32_t>(s.modelReply.size());
    s.dataVersion = kExpectedDataVersion;
    s.screen = QByteArray(kScreenPictureSize, '\0');
    return s;
}

Scenario parseScenario(const QByteArray& json) {
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError)
        throw zor::Error(QStringLiteral("Сценарий: ошибка JSON в позиции %1: %2")
                             .arg(error.offset)
                             .arg(error.errorString()));
    if (!doc.isObject())
        throw zor::Error(QStringLiteral("Сценарий: ожидается объект JSON"));
    const ObjectReader r(doc.object(), QString());
    r.allowOnly({"attached", "model", "model_reply_hex", "model_size", "data_version",
                 "record_count", "records", "screen_hex", "fail", "unplug_before", "short_reply",
                 "reply_delay_ms"});
    Scenario s = defaultScenario();
    if (r.has("attached"))
        s.attached = r.boolean("attached");
    readModel(r, s);
    if (r.has("data_version"))
        s.dataVersion = static_cast<uint32_t>(r.integer("data_version", 0, kU32Max));
    if (r.has("records")) {
        const QJsonArray records = r.array("records");
        for (qsizetype i = 0; i < records.size(); ++i)
            s.records.push_back(readRecord(records[i], QStringLiteral("records[%1]").arg(i)));
    }
    s.recordCount = r.has("record_count")
                        ? static_cast<int32_t>(r.integer("record_count", kI32Min, kI32Max))
                        : static_cast<int32_t>(s.records.size());
    if (r.has("screen_hex")) {
        s.screen = r.hex("screen_hex");
        if (s.screen.size() != qsizetype(kScreenPictureSize))
            fail(QStringLiteral("screen_hex"), QStringLiteral("ожидается %1 байта, задано %2")
                                                   .arg(kScreenPictureSize)
                                                   .arg(s.screen.size()));
    }
    readFaults(r, s);
    return s;
}

Scenario loadScenarioFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw zor::Error(QStringLiteral("Не удалось прочитать файл сценария \"%1\": %2")
                             .arg(path, file.errorString()));
    return parseScenario(file.readAll());
}

} // namespace device
