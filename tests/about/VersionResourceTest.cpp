#include "about/VersionResource.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace about;

namespace {

QString selfPath() {
    return QFileInfo("/proc/self/exe").canonicalFilePath();
}

QString copyPrefix(const QTemporaryDir& dir, const QString& from, qint64 bytes) {
    QFile in(from);
    in.open(QIODevice::ReadOnly);
    QFile out(dir.filePath(QString("cut-%1").arg(bytes)));
    out.open(QIODevice::WriteOnly);
    out.write(in.read(bytes));
    return out.fileName();
}

} // namespace

TEST(VersionResource, TheProgramsOwnResourceHoldsAllKeys) {
    const std::optional<VersionBlock> block = readVersionBlock(selfPath());
    ASSERT_TRUE(block);
    for (const char* key : {"ProductName", "Comments", "FileVersion", "Year", "CompanyName",
                            "CompanyPhone", "CompanyEMail", "CompanyWeb"}) {
        QString value;
        EXPECT_TRUE(GetVersionValue(*block, key, value)) << key;
        EXPECT_FALSE(value.isEmpty()) << key;
    }
    QString value;
    GetVersionValue(*block, "ProductName", value);
    EXPECT_EQ(value, QStringLiteral("ЗОР-1.0"));
    GetVersionValue(*block, "FileVersion", value);
    EXPECT_EQ(value, QStringLiteral(ZOR_VERSION));
}

TEST(VersionResource, OnlyTheRussianTableAnswers) {
    const VersionBlock block = parseVersionBlock("# note\n"
                                                 "[\\StringFileInfo\\040904E4]\n"
                                                 "Year=1999\n"
                                                 "[\\StringFileInfo\\041904E3]\n"
                                                 "ProductName = Проба \n"
                                                 "Comments=a=b\n"
                                                 "Empty=\n"
                                                 "\0Year=2000\n");
    struct Case {
        const char* key;
        bool found;
        QString value;
    };
    const Case cases[] = {
        {"ProductName", true, QStringLiteral("Проба")},
        {"Comments", true, "a=b"},
        {"Empty", true, ""},
        {"Year", false, ""}, // only in another table, or after the end of the text
        {"productname", false, ""},
    };
    for (const Case& c : cases) {
        QString value = "stale";
        EXPECT_EQ(GetVersionValue(block, c.key, value), c.found) << c.key;
        EXPECT_EQ(value, c.value) << c.key;
    }
}

TEST(VersionResource, FilesWithoutAResourceGiveNothing) {
    QTemporaryDir dir;
    const QString text = dir.filePath("text");
    QFile file(text);
    file.open(QIODevice::WriteOnly);
    file.write("not an executable\n");
    file.close();
    const qint64 selfSize = QFileInfo(selfPath()).size();
    for (const QString& path :
         {QString(PROBE_PLAIN), text, dir.filePath("missing"), dir.path(),
          copyPrefix(dir, selfPath(), 20), copyPrefix(dir, selfPath(), selfSize / 2)}) {
        EXPECT_FALSE(readVersionBlock(path)) << path.toStdString();
    }
}
