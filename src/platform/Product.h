#pragma once
#include <QString>
#include <cstdint>

// What the program and the instrument it serves are called, written once for every layer.
namespace platform {

// The instrument model and the data version of its results: what a served instrument answers
// and what the identity row of a project file holds.
inline constexpr char kModelName[] = "ZOR-1.0";
inline constexpr int32_t kDataVersion = 65537;

// The program's title: captions of its windows and messages, the creator named in a PDF.
inline QString appTitle() {
    return QStringLiteral("ЗОР-1.0");
}

} // namespace platform
