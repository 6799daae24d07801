#include "screenshot/ScreenPicture.h"
#include "platform/Error.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <array>
#include <gtest/gtest.h>

using namespace screenshot;

namespace {

constexpr uint32_t kInk = 0x123456;        // r 0x56, g 0x34, b 0x12: channel order shows
constexpr uint32_t kBackground = 0xA0B0C0; // r 0xC0, g 0xB0, b 0xA0

bool isFrame(int x, int y) {
    return x == 0 || y == 0 || x == kMatrixWidth - 1 || y == kMatrixHeight - 1;
}
bool isRing(int x, int y) {
    return !isFrame(x, y) && (x == 1 || y == 1 || x == kMatrixWidth - 2 || y == kMatrixHeight - 2);
}

// Ink pixels of the bitmap that are not frame pixels.
std::vector<QPoint> inkInside(const QImage& image) {
    std::vector<QPoint> points;
    for (int x = 0; x < image.width(); ++x)
        for (int y = 0; y < image.height(); ++y)
            if (!isFrame(x, y) && image.pixel(x, y) == qRgb(0x56, 0x34, 0x12))
                points.emplace_back(x, y);
    return points;
}

void expectFrameInInk(const QImage& image) {
    for (int x = 0; x < kMatrixWidth; ++x)
        for (int y = 0; y < kMatrixHeight; ++y) {
            if (isFrame(x, y)) {
                ASSERT_EQ(image.pixel(x, y), qRgb(0x56, 0x34, 0x12)) << x << "," << y;
            }
        }
}

} // namespace

TEST(ScreenPicture, SingleByteLandsOnOnePixelInsideTheFrame) {
    struct Case {
        int byte;
        uint8_t value;
        QPoint pixel;
    };
    const Case cases[] = {
        {0, 0x01, {2, 2}},       // column 0, row 0
        {127, 0x01, {129, 2}},   // column 127, row 0
        {128, 0x80, {2, 17}},    // column 0, row 15: bottom bit of the second band
        {1023, 0x80, {129, 65}}, // column 127, row 63
        {389, 0x10, {7, 30}},    // column 5 of band 3, bit 4: row 28
    };
    for (const Case& c : cases) {
        std::array<uint8_t, kScreenBytes> screen{};
        screen[c.byte] = c.value;
        PixelMatrix matrix;
        matrix.decode(screen.data());
        const QImage image = paintPicture(matrix, kInk, kBackground);
        ASSERT_EQ(image.size(), QSize(132, 68));
        expectFrameInInk(image);
        EXPECT_EQ(inkInside(image), std::vector<QPoint>{c.pixel}) << "byte " << c.byte;
    }
}

TEST(ScreenPicture, AllZeroShowsOnlyTheFrame) {
    std::array<uint8_t, kScreenBytes> screen{};
    PixelMatrix matrix;
    matrix.decode(screen.data());
    const QImage image = paintPicture(matrix, kInk, kBackground);
    expectFrameInInk(image);
    EXPECT_TRUE(inkInside(image).empty());
    EXPECT_EQ(image.pixel(1, 1), qRgb(0xC0, 0xB0, 0xA0));
}

TEST(ScreenPicture, AllSetFillsThePictureButNeverTheRing) {
    std::array<uint8_t, kScreenBytes> screen;
    screen.fill(0xFF);
    PixelMatrix matrix;
    matrix.decode(screen.data());
    for (int x = 0; x < kMatrixWidth; ++x)
        for (int y = 0; y < kMatrixHeight; ++y)
            ASSERT_EQ(matrix.cell(x, y), !isRing(x, y)) << x << "," << y;

    // Clearing brings back the empty frame.
    matrix.ClearPicture();
    for (int x = 0; x < kMatrixWidth; ++x)
        for (int y = 0; y < kMatrixHeight; ++y)
            ASSERT_EQ(matrix.cell(x, y), isFrame(x, y)) << x << "," << y;
}

TEST(ScreenPicture, SameInkAndBackgroundGiveOneColour) {
    std::array<uint8_t, kScreenBytes> screen;
    screen.fill(0x5A);
    PixelMatrix matrix;
    matrix.decode(screen.data());
    const QImage image = paintPicture(matrix, 0x00FF00, 0x00FF00);
    for (int x = 0; x < kMatrixWidth; ++x)
        for (int y = 0; y < kMatrixHeight; ++y)
            ASSERT_EQ(image.pixel(x, y), qRgb(0, 255, 0));
}

TEST(ScreenPicture, BitmapFileKeepsBothColoursExactAndReplacesTheOldFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath("sceenshot.bmp");
    {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write(QByteArray(100000, 'x'));
    }
    std::array<uint8_t, kScreenBytes> screen{};
    screen[0] = 0x01;
    PixelMatrix matrix;
    matrix.decode(screen.data());
    const QImage image = paintPicture(matrix, kInk, kBackground);
    saveBitmap(image, path);

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    ASSERT_TRUE(bytes.startsWith("BM"));
    EXPECT_LT(bytes.size(), 100000);
    QImage back;
    ASSERT_TRUE(back.loadFromData(bytes, "BMP"));
    ASSERT_EQ(back.size(), QSize(132, 68));
    for (int x = 0; x < kMatrixWidth; ++x)
        for (int y = 0; y < kMatrixHeight; ++y)
            ASSERT_EQ(back.pixel(x, y), image.pixel(x, y)) << x << "," << y;
    EXPECT_EQ(back.pixel(2, 2), qRgb(0x56, 0x34, 0x12));
    EXPECT_EQ(back.pixel(3, 2), qRgb(0xC0, 0xB0, 0xA0));
}

TEST(ScreenPicture, UnwritableFileRaisesErrorNamingIt) {
    QTemporaryDir dir;
    const QString path = dir.filePath("missing-folder/sceenshot.bmp");
    try {
        saveBitmap(paintPicture(PixelMatrix(), 0, 0xFFFFFF), path);
        FAIL() << "no error raised";
    } catch (const zor::Error& e) {
        EXPECT_TRUE(e.text().contains(path)) << e.text().toStdString();
    }
    EXPECT_FALSE(QFile::exists(path));
}
