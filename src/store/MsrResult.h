#pragma once
#include <QByteArray>
#include <cstdint>
#include <vector>

// One measurement result as read from the instrument.
struct TMsrResult {
    double MsrDateTime = 0; // days since 1899-12-30
    uint32_t MsrNumber = 0; // 0..65535 as read
    double Load = 0;        // kilogram-force
    int32_t RatedLoad = 0;  // kilogram-force
    QByteArray ObjectName;  // 8-bit bytes as the instrument sent them, at most 16
};

using TArrayOfMsrResult = std::vector<TMsrResult>;
