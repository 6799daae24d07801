#include "platform/ExeFolder.h"
#include "ProbeProcess.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct ExtCase {
    const char* exe;
    const char* ini;
};

TEST(ExeFolderTest, SettingsFileReplacesTheExtension) {
    const ExtCase cases[] = {
        {"/opt/zor/zor", "/opt/zor/zor.ini"},       {"/opt/zor/zor.bin", "/opt/zor/zor.ini"},
        {"/opt/zor/zor.1.0", "/opt/zor/zor.1.ini"}, {"/opt/zor-1.0/zor", "/opt/zor-1.0/zor.ini"},
        {"/opt/Прибор/зор", "/opt/Прибор/зор.ini"},
    };
    for (const ExtCase& c : cases)
        EXPECT_EQ(platform::settingsFilePathFor(QString::fromUtf8(c.exe)), QString::fromUtf8(c.ini))
            << c.exe;
}

// Another process, without a QCoreApplication, started through a symbolic link.
TEST(ExeFolderTest, ProgramFindsItsOwnFileFromAnotherFolder) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString link = dir.filePath("link-to-probe");
    ASSERT_TRUE(QFile::link(QStringLiteral(GUARD_PROBE_PATH), link));

    ProbeProcess probe({link.toStdString(), "--paths"});
    const QString exe = QString::fromStdString(probe.readLine());
    const QString folder = QString::fromStdString(probe.readLine());
    const QString ini = QString::fromStdString(probe.readLine());
    EXPECT_EQ(probe.finish(), 0);

    const QFileInfo real(QStringLiteral(GUARD_PROBE_PATH));
    EXPECT_EQ(exe, real.canonicalFilePath());
    EXPECT_EQ(folder, real.canonicalPath() + QLatin1Char('/'));
    EXPECT_EQ(ini, real.canonicalPath() + QStringLiteral("/guard_probe.ini"));
}

TEST(ExeFolderTest, ThisProcessIsInItsFolder) {
    const QString exe = platform::executablePath();
    EXPECT_TRUE(QFileInfo(exe).isAbsolute());
    EXPECT_TRUE(exe.startsWith(platform::executableFolder()));
    EXPECT_TRUE(platform::executableFolder().endsWith(QLatin1Char('/')));
    EXPECT_EQ(QFileInfo(exe).fileName(), QStringLiteral("platform_tests"));
}

} // namespace

namespace {

struct FolderCase {
    QString folder;
    bool perUser;
};

} // namespace

// An installed copy keeps its files in the user's folder even when run by root, who could
// write into /usr/bin; a copy in a folder of its own keeps them beside itself.
TEST(ExeFolderTest, InstalledCopiesKeepTheirFilesPerUser) {
    QTemporaryDir own;
    ASSERT_TRUE(own.isValid());
    const FolderCase cases[] = {
        {"/usr/bin/", true},
        {"/usr/local/bin", true},
        {"/bin/", true},
        {"/sbin/", true},
        {own.path() + QLatin1Char('/'), false},
        {own.path() + QStringLiteral("/missing/"), true},
    };
    for (const FolderCase& c : cases)
        EXPECT_EQ(platform::folderNeedsPerUserData(c.folder), c.perUser) << c.folder.toStdString();
}
