#include "DateTime.h"

#include <cmath>

namespace platform {

namespace {
constexpr int32_t kMsPerDay = 86400000;
constexpr int32_t kFbEpochOffset = 15018; // 1858-11-17 is 15018 days before 1899-12-30

// Howard Hinnant's days_from_civil, shifted to the 1899-12-30 epoch.
int32_t daysFromCivilEpoch1970(int y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int32_t>(doe) - 719468;
}
constexpr int32_t kEpoch1899 = -25569; // 1899-12-30 relative to 1970-01-01

void civilFromDays(int32_t z, int& y, int& m, int& d) {
    z += 719468;
    const int era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yoe) + era * 400 + (m <= 2);
}
} // namespace

int32_t daysFromCivil(int year, int month, int day) {
    return daysFromCivilEpoch1970(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) -
           kEpoch1899;
}

bool isValidDate(int year, int month, int day) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1)
        return false;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return day <= kDays[month - 1] + (month == 2 && leap ? 1 : 0);
}

bool isValidTime(int hour, int minute, int second, int msec) {
    return hour >= 0 && hour < 24 && minute >= 0 && minute < 60 && second >= 0 && second < 60 &&
           msec >= 0 && msec < 1000;
}

double encodeDateTime(int32_t days, int hour, int minute, int second, int msec) {
    return days + (hour * 3600000 + minute * 60000 + second * 1000 + msec) / 86400000.0;
}

bool tryEncodeDateTime(const CivilDateTime& c, double& out) {
    if (!isValidDate(c.year, c.month, c.day) || !isValidTime(c.hour, c.minute, c.second, c.msec))
        return false;
    out = encodeDateTime(daysFromCivil(c.year, c.month, c.day), c.hour, c.minute, c.second, c.msec);
    return true;
}

namespace {
void split(double value, int32_t& days, int32_t& ms) {
    days = static_cast<int32_t>(std::floor(value));
    ms = static_cast<int32_t>(std::llround((value - days) * kMsPerDay));
    if (ms >= kMsPerDay) {
        ++days;
        ms -= kMsPerDay;
    }
}
} // namespace

CivilDateTime decodeDateTime(double value) {
    int32_t days, ms;
    split(value, days, ms);
    CivilDateTime c;
    civilFromDays(days + kEpoch1899, c.year, c.month, c.day);
    c.hour = ms / 3600000;
    c.minute = ms / 60000 % 60;
    c.second = ms / 1000 % 60;
    c.msec = ms % 1000;
    return c;
}

FbTimestamp toFbTimestamp(double value) {
    int32_t days, ms;
    split(value, days, ms);
    return {days + kFbEpochOffset, static_cast<uint32_t>(ms) * 10u};
}

double fromFbTimestamp(FbTimestamp ts) {
    const uint32_t ms = ts.time / 10u;
    return encodeDateTime(ts.date - kFbEpochOffset, static_cast<int>(ms / 3600000),
                          static_cast<int>(ms / 60000 % 60), static_cast<int>(ms / 1000 % 60),
                          static_cast<int>(ms % 1000));
}

} // namespace platform
