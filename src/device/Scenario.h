#pragma once
#include "Protocol.h"

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

// What one simulated instrument holds and how it misbehaves, read from a scenario file (JSON).
namespace device {

// The `occurrence`-th (1-based) sending of command `command`.
struct CommandOccurrence {
    uint32_t command = 0;
    uint32_t occurrence = 1;
};

struct FailRule {
    CommandOccurrence when;
    Status status = 0; // never 0
};

struct ShortReply {
    CommandOccurrence when;
    uint32_t bytes = 0;
};

struct Scenario {
    bool attached = true;
    QByteArray modelReply;  // the whole reply to CMD_GET_MODEL, byte 0 included
    uint32_t modelSize = 0; // ModelSize of CMD_GET_INFO
    uint32_t dataVersion = kExpectedDataVersion;
    int32_t recordCount = 0;         // RecordCount of CMD_GET_INFO
    std::vector<QByteArray> records; // 36 bytes each, in read-out order
    QByteArray screen;               // kScreenPictureSize bytes
    std::vector<FailRule> fail;
    std::optional<CommandOccurrence> unplugBefore;
    std::optional<ShortReply> shortReply;
    uint32_t replyDelayMs = 0;
};

// A scenario with every key at its default: an attached "ZOR-1.0" holding no results.
Scenario defaultScenario();

// Parse the JSON text of a scenario. Throws zor::Error whose text names the offending key
// (as a path such as "records[2].month") and says what is wrong with it.
Scenario parseScenario(const QByteArray& json);
// Read and parse a scenario file; an unreadable file throws zor::Error too.
Scenario loadScenarioFile(const QString& path);

} // namespace device
