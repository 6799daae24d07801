#pragma once
#include "PreparedReport.h"

#include <QString>

// Writes prepared pages to a PDF file (A4, no margins). Throws zor::Error when it cannot.
namespace report {

void writePdf(const PreparedReport& report, const QString& fileName);

} // namespace report
