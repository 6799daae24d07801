#pragma once
#include "PreparedReport.h"

#include <QByteArray>
#include <QString>

// The CSV export of prepared pages: cells on a grid of 64 x 14 report units, ";" between
// cells, CR LF after each non-empty row, Windows-1251 bytes.
namespace report {

QByteArray csvBytes(const PreparedReport& report);
// The name the file is written under: its extension replaced by ".csv" (added when none).
QString csvFileName(const QString& chosen);
// Writes the file (created or emptied); throws zor::Error "Cannot create file ..." on failure.
void writeCsv(const PreparedReport& report, const QString& fileName);

} // namespace report
