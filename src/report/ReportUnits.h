#pragma once

// Every position and size of the report is in report units: 18600/203 units to the inch.
namespace report {

constexpr double kUnitsPerInch = 18600.0 / 203.0;
constexpr double kPointsPerInch = 72.0;
// An A4 page, rounded to whole units: paperLayout() is the same paper for the printer and PDF.
constexpr double kPageWidth = 758;
constexpr double kPageHeight = 1071;

inline constexpr double pointsToUnits(double points) {
    return points * kUnitsPerInch / kPointsPerInch;
}

} // namespace report
