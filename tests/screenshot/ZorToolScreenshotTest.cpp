#include "common/ZorToolRun.h"
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// zor-tool screenshot as a real process over a simulated instrument.
namespace {

ToolRun zorTool(const QStringList& args) {
    return runZorTool(QStringList{"screenshot"} + args);
}

QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& text) {
    QFile file(dir.filePath(name));
    file.open(QIODevice::WriteOnly);
    file.write(text);
    return file.fileName();
}

bool isFrame(int x, int y) {
    return x == 0 || y == 0 || x == 131 || y == 67;
}

} // namespace

TEST(ZorToolScreenshot, WritesTheFramedPictureInTheGivenColours) {
    QTemporaryDir dir;
    QByteArray screen(1024, '\0');
    screen[127] = 0x01;
    const QString scenario =
        writeFile(dir, "s.json", "{\"screen_hex\": \"" + screen.toHex(' ') + "\"}");
    const QString out = dir.filePath("shot.bmp");
    // ink 255 = red, background 16711680 = blue, as the settings file stores them
    const ToolRun run =
        zorTool({out, "--simulate", scenario, "--ink", "255", "--background", "16711680"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QImage image(out, "BMP");
    ASSERT_EQ(image.size(), QSize(132, 68));
    for (int x = 0; x < 132; ++x)
        for (int y = 0; y < 68; ++y) {
            const bool ink = isFrame(x, y) || (x == 129 && y == 2);
            ASSERT_EQ(image.pixel(x, y), ink ? qRgb(255, 0, 0) : qRgb(0, 0, 255)) << x << "," << y;
        }
}

TEST(ZorToolScreenshot, FailuresAndBadInput) {
    QTemporaryDir dir;
    const QString detached = writeFile(dir, "detached.json", R"({"attached": false})");
    const QString invalid = writeFile(dir, "invalid.json", R"({"screen_hex": "zz"})");
    const QString out = dir.filePath("shot.bmp");
    struct Case {
        QStringList args;
        int exitCode;
        QString message; // part of the standard error text
        bool fileWritten;
    };
    const Case cases[] = {
        {{out, "--simulate", detached}, 2, "Ошибка связи с прибором!", true},
        {{out, "--simulate", invalid}, 65, "screen_hex", false},
        {{out, "--simulate", dir.filePath("none.json")}, 65, "none.json", false},
        {{dir.filePath("no/such/folder.bmp"), "--simulate", detached}, 1, "folder.bmp", false},
        {{out, "--ink", "red"}, 64, "red", false},
        {{out, "--ink", "16777216"}, 64, "16777216", false},
        {{}, 64, "usage", false},
        {{out, "--frobnicate", "1"}, 64, "usage", false},
    };
    for (const Case& c : cases) {
        QFile::remove(out);
        const ToolRun run = zorTool(c.args);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.args.join(' ').toStdString();
        EXPECT_TRUE(run.err.contains(c.message)) << run.err.toStdString();
        EXPECT_EQ(QFile::exists(out), c.fileWritten) << c.args.join(' ').toStdString();
    }
    // The failed read still wrote the empty frame.
    zorTool({out, "--simulate", detached});
    const QImage image(out, "BMP");
    EXPECT_EQ(image.pixel(0, 0), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(2, 2), qRgb(255, 255, 255));
}
