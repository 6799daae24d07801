#pragma once
#include <cstdint>

// Date-time values are doubles counting days since 1899-12-30; the fraction is the time of day.
namespace platform {

struct CivilDateTime {
    int year = 1899, month = 12, day = 30;
    int hour = 0, minute = 0, second = 0, msec = 0;
};

// Days since 1899-12-30 of a proleptic Gregorian date (no validation).
int32_t daysFromCivil(int year, int month, int day);
bool isValidDate(int year, int month, int day);
bool isValidTime(int hour, int minute, int second, int msec);

// The single place a date-time is built, so that equal inputs give bit-identical doubles.
double encodeDateTime(int32_t days, int hour, int minute, int second, int msec);
// Returns false (out untouched) when the parts do not form a valid date and time.
bool tryEncodeDateTime(const CivilDateTime& c, double& out);
CivilDateTime decodeDateTime(double value);

// Firebird TIMESTAMP: days since 1858-11-17 and the time of day in 1/10000 s.
struct FbTimestamp {
    int32_t date = 0;
    uint32_t time = 0;
};
FbTimestamp toFbTimestamp(double value);
double fromFbTimestamp(FbTimestamp ts);

} // namespace platform
