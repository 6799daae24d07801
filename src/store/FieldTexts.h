#pragma once
#include <QString>
#include <cstdint>

// Texts of the result fields, shared by the grid, the report, the CSV export and zor-tool.
namespace store {

QString FormatLoad(int32_t unit, double load, double ratedLoad);
QString formatDateText(double dateTime); // "dd.mm.yyyy"
QString formatTimeText(double dateTime); // "hh:mm:ss" with the locale's time separator

} // namespace store
