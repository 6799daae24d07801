#include "store/FieldTexts.h"

#include "platform/DateTime.h"

#include <QLocale>
#include <cmath>
#include <gtest/gtest.h>

using store::FormatLoad;

struct LoadCase {
    int unit;
    double load, rated;
    const char* text;
};
void PrintTo(const LoadCase& c, std::ostream* os) {
    *os << "unit " << c.unit << ", load " << c.load << ", rated " << c.rated;
}

class FormatLoadCases : public ::testing::TestWithParam<LoadCase> {};

TEST_P(FormatLoadCases, GivesTheGridText) {
    QLocale::setDefault(QLocale::c());
    const LoadCase& c = GetParam();
    EXPECT_EQ(FormatLoad(c.unit, c.load, c.rated).toStdString(), c.text)
        << "unit " << c.unit << " load " << c.load << " rated " << c.rated;
}

INSTANTIATE_TEST_SUITE_P(
    Table, FormatLoadCases,
    ::testing::Values(LoadCase{0, 12.345, 500, "12.345 "}, LoadCase{1, 12.345, 500, "121.06 "},
                      LoadCase{0, 0.03, 500, "0.0000 "}, LoadCase{0, -0.04, 500, "0.0000 "},
                      LoadCase{0, 0.5, 0, "0.5000 "}, LoadCase{0, -12.345, 500, "-12.345"},
                      LoadCase{0, 1234.5, 5000, "1234.5 "}, LoadCase{0, 10, 5000, "10.000 "},
                      LoadCase{0, 99999.99, 200000, "100000 "},
                      LoadCase{0, 9.99995, 100, "10.0000"}, LoadCase{1, 20000, 50000, "196133.00"},
                      LoadCase{0, 150000, 200000, "150000.00"},
                      // dead band edge: exactly a ten-thousandth of the rated load stays
                      LoadCase{0, 0.05, 500, "0.0500 "}, LoadCase{0, 0.0499, 500, "0.0000 "},
                      // rated load -1 taken as 4294967295 zeroes everything below 429496.7295
                      LoadCase{0, 400000, 4294967295.0, "0.0000 "},
                      // unit 2 is not newtons
                      LoadCase{2, 12.345, 500, "12.345 "},
                      // thresholds of the decimals table
                      LoadCase{0, 9.9999, 0, "9.9999 "}, LoadCase{0, 99.9994, 0, "99.999 "},
                      LoadCase{0, 999.994, 0, "999.99 "}, LoadCase{0, 9999.94, 0, "9999.9 "},
                      LoadCase{0, 99999.4, 0, "99999  "}, LoadCase{0, 100000, 0, "100000.00"},
                      LoadCase{1, 0.0, 0, "0.0000 "},
                      // a garbled load from the instrument is shown, not hung on
                      LoadCase{0, HUGE_VAL, 0, "inf    "}, LoadCase{0, -HUGE_VAL, 0, "-inf   "},
                      LoadCase{1, 1e308, 0, "inf    "}));

TEST(FieldTexts, UseTheLocaleSeparators) {
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    EXPECT_EQ(FormatLoad(0, 12.345, 500).toStdString(), "12,345 ");
    EXPECT_EQ(FormatLoad(1, 12.345, 500).toStdString(), "121,06 ");
    QLocale::setDefault(QLocale::c());
}

TEST(FieldTexts, DateAndTimeHalves) {
    QLocale::setDefault(QLocale::c());
    double v = 0;
    ASSERT_TRUE(platform::tryEncodeDateTime({2024, 3, 5, 14, 7, 9, 0}, v));
    EXPECT_EQ(store::formatDateText(v).toStdString(), "05.03.2024");
    EXPECT_EQ(store::formatTimeText(v).toStdString(), "14:07:09");
    EXPECT_EQ(store::formatDateText(36526.041666666664).toStdString(), "01.01.2000");
    EXPECT_EQ(store::formatTimeText(36526.041666666664).toStdString(), "01:00:00");
}
