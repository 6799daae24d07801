#include "platform/DateTime.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

namespace {

using namespace platform;

bool sameBits(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

TEST(DateTimeTest, KnownDaysAndFirebirdEpoch) {
    EXPECT_EQ(daysFromCivil(1899, 12, 30), 0);
    EXPECT_EQ(daysFromCivil(1900, 1, 1), 2);
    EXPECT_EQ(daysFromCivil(2000, 1, 1), 36526);
    EXPECT_EQ(daysFromCivil(1858, 11, 17), -15018);
    EXPECT_EQ(toFbTimestamp(encodeDateTime(daysFromCivil(1858, 11, 17), 0, 0, 0, 0)).date, 0);
    const FbTimestamp noon = toFbTimestamp(encodeDateTime(0, 12, 0, 0, 0));
    EXPECT_EQ(noon.date, 15018);
    EXPECT_EQ(noon.time, 12u * 3600u * 10000u);
}

TEST(DateTimeTest, InvalidPartsAreRefused) {
    const CivilDateTime bad[] = {
        {2023, 2, 29, 0, 0, 0, 0}, {2024, 13, 1, 0, 0, 0, 0}, {2024, 1, 0, 0, 0, 0, 0},
        {2024, 1, 1, 24, 0, 0, 0}, {2024, 1, 1, 0, 60, 0, 0}, {2024, 1, 1, 0, 0, 0, 1000},
    };
    for (const CivilDateTime& c : bad) {
        double out = -1;
        EXPECT_FALSE(tryEncodeDateTime(c, out)) << c.year << '-' << c.month << '-' << c.day;
        EXPECT_EQ(out, -1);
    }
    double leap = 0;
    EXPECT_TRUE(tryEncodeDateTime({2000, 2, 29, 23, 59, 59, 999}, leap));
}

// Every second of a few days around a year end and a leap day: decode gives the parts back and
// the Firebird round trip gives the very same double.
TEST(DateTimeTest, EverySecondOfSomeDaysRoundTripsBitIdentical) {
    for (const int32_t first : {daysFromCivil(1999, 12, 31), daysFromCivil(2024, 2, 28)}) {
        for (int32_t day = first; day < first + 3; ++day) {
            for (int s = 0; s < 86400; ++s) {
                const double v = encodeDateTime(day, s / 3600, s / 60 % 60, s % 60, 0);
                const CivilDateTime c = decodeDateTime(v);
                ASSERT_EQ(daysFromCivil(c.year, c.month, c.day), day);
                ASSERT_EQ(c.hour * 3600 + c.minute * 60 + c.second, s);
                ASSERT_EQ(c.msec, 0);
                ASSERT_TRUE(sameBits(fromFbTimestamp(toFbTimestamp(v)), v)) << day << ' ' << s;
            }
        }
    }
}

TEST(DateTimeTest, RandomDateTimesRoundTripBitIdentical) {
    std::mt19937 rng(20240229);
    std::uniform_int_distribution<int32_t> dayDist(daysFromCivil(2000, 1, 1),
                                                   daysFromCivil(2255, 12, 31));
    std::uniform_int_distribution<int> msDist(0, 86399999);
    for (int i = 0; i < 1000000; ++i) {
        const int32_t day = dayDist(rng);
        const int ms = msDist(rng);
        const int msec = i % 2 ? ms % 1000 : 0; // whole seconds, then milliseconds
        const double v = encodeDateTime(day, ms / 3600000, ms / 60000 % 60, ms / 1000 % 60, msec);
        const CivilDateTime c = decodeDateTime(v);
        double again = 0;
        ASSERT_TRUE(tryEncodeDateTime(c, again));
        ASSERT_TRUE(sameBits(again, v)) << day << ' ' << ms;
        ASSERT_TRUE(sameBits(fromFbTimestamp(toFbTimestamp(v)), v)) << day << ' ' << ms;
    }
}

} // namespace
