#include "platform/Cp1251.h"

#include <gtest/gtest.h>

#include <iconv.h>

namespace {

using platform::fromCp1251;
using platform::toCp1251;

TEST(Cp1251Test, RussianAlphabetRoundTrips) {
    const QString upper = QStringLiteral("АБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ");
    const QString lower = QStringLiteral("абвгдеёжзийклмнопрстуфхцчшщъыьэюя");
    const QString text = upper + lower + QStringLiteral("№ 5, «ЗОР-1.0»");
    const QByteArray bytes = toCp1251(text);
    EXPECT_EQ(bytes.size(), text.size());
    EXPECT_EQ(fromCp1251(bytes), text);

    EXPECT_EQ(toCp1251(QStringLiteral("Ё")), QByteArray("\xA8"));
    EXPECT_EQ(toCp1251(QStringLiteral("ё")), QByteArray("\xB8"));
    EXPECT_EQ(toCp1251(QStringLiteral("№")), QByteArray("\xB9"));
    EXPECT_EQ(toCp1251(QStringLiteral("Ая")), QByteArray("\xC0\xFF"));
}

TEST(Cp1251Test, EveryByteSurvivesARoundTrip) {
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(static_cast<char>(b));
    const QString text = fromCp1251(all);
    ASSERT_EQ(text.size(), 256);
    EXPECT_EQ(toCp1251(text), all);
}

// Checks the hand-written table against the C library's converter, byte by byte.
TEST(Cp1251Test, TableAgreesWithTheSystemConverter) {
    iconv_t cd = iconv_open("UTF-16LE", "CP1251");
    if (cd == reinterpret_cast<iconv_t>(-1))
        GTEST_SKIP() << "no CP1251 converter in this C library";
    for (int b = 0; b < 256; ++b) {
        if (b == 0x98)
            continue; // unassigned in the code page
        char in = static_cast<char>(b);
        char16_t out = 0;
        char* inp = &in;
        char* outp = reinterpret_cast<char*>(&out);
        size_t inLeft = 1, outLeft = sizeof out;
        ASSERT_NE(iconv(cd, &inp, &inLeft, &outp, &outLeft), static_cast<size_t>(-1)) << b;
        EXPECT_EQ(fromCp1251(QByteArray(1, in)).at(0).unicode(), out) << "byte " << b;
    }
    iconv_close(cd);
}

TEST(Cp1251Test, UnmappableCharactersBecomeOneQuestionMarkEach) {
    EXPECT_EQ(toCp1251(QStringLiteral("café")), QByteArray("caf?"));
    EXPECT_EQ(toCp1251(QStringLiteral("a中b")), QByteArray("a?b"));
    EXPECT_EQ(toCp1251(QString::fromUtf8("x\xF0\x9F\x98\x80y")), QByteArray("x?y"));
}

} // namespace
