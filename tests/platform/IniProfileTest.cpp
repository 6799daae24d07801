#include "platform/IniProfile.h"
#include "platform/Error.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using platform::IniProfile;

class IniProfileTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }

    QString writeFile(const QByteArray& bytes, const QString& name = QStringLiteral("zor.ini")) {
        const QString path = m_dir.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path;
    }
    static QByteArray readFile(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    // The message a refused save must carry, and the file left as it was.
    static void expectSaveRefused(const IniProfile& ini) {
        const QByteArray before = readFile(ini.path());
        try {
            ini.save();
            ADD_FAILURE() << "save succeeded on " << ini.path().toStdString();
        } catch (const zor::Error& e) {
            EXPECT_EQ(e.text(), QStringLiteral("Unable to write to ") + ini.path());
        }
        EXPECT_EQ(readFile(ini.path()), before);
    }

    QTemporaryDir m_dir;
};

struct IntCase {
    const char* text;
    bool ok;
    int32_t value;
};

TEST(ProfileIntegerTest, FollowsTheSettingsFileRules) {
    const IntCase cases[] = {
        {"0", true, 0},
        {"16777215", true, 16777215},
        {"0xFF", true, 255},
        {"0XfF", true, 255},
        {"$FF", true, 255},
        {"$ff", true, 255},
        {"0x1", true, 1},
        {"0x", false, 0}, // too short for a hex marker, and not a number
        {"$", false, 0},
        {"red", false, 0},
        {"", false, 0},
        {"   ", false, 0},
        {" -12", true, -12},
        {"+7", true, 7},
        {"007", true, 7},
        {"- 12", false, 0},
        {"12abc", false, 0},
        {"1 2", false, 0},
        {"12 ", false, 0},
        {"FF", false, 0}, // hex needs a marker
        {"FFFFFFFF", false, 0},
        {"$FFFFFFFF", true, -1},
        {"0xFFFFFFFF", true, -1},
        {"0x80000000", true, INT32_MIN},
        {"0x00000000FFFFFFFF", true, -1}, // leading zeros are not significant
        {"0x1FFFFFFFF", false, 0},        // nine significant digits
        {"-$FF", true, -255},
        {" $10", true, 16},
        {"0x-5", false, 0},
        {" 0xFF", false, 0}, // the 0x marker only counts at the very start
        {"2147483647", true, INT32_MAX},
        {"2147483648", false, 0},
        {"-2147483648", true, INT32_MIN},
        {"-2147483649", false, 0},
        {"99999999999999999999", false, 0},
        {"１２", false, 0}, // full-width digits are not digits here
    };
    for (const IntCase& c : cases) {
        int32_t value = 12345;
        const bool ok = platform::parseProfileInteger(QString::fromUtf8(c.text), value);
        EXPECT_EQ(ok, c.ok) << '"' << c.text << '"';
        if (ok && c.ok) {
            EXPECT_EQ(value, c.value) << '"' << c.text << '"';
        }
    }
}

TEST_F(IniProfileTest, ReadsIntegersWithTheirDefaults) {
    const IniProfile ini(writeFile("[DeviceScreenShot]\nInkColor=0xFF\nBackgroundColor=\n"
                                   "Other=red\nQuoted=\" -12\"\n[Processing]\nLoadUnit=2\n"));
    EXPECT_EQ(ini.readInteger("DeviceScreenShot", "InkColor", 0), 255);
    EXPECT_EQ(ini.readInteger("DeviceScreenShot", "BackgroundColor", 16777215), 16777215);
    EXPECT_EQ(ini.readInteger("DeviceScreenShot", "Other", 7), 7);
    EXPECT_EQ(ini.readInteger("DeviceScreenShot", "Quoted", 0), -12);
    EXPECT_EQ(ini.readInteger("Processing", "LoadUnit", 0), 2);
    EXPECT_EQ(ini.readInteger("Processing", "Missing", 16777215), 16777215);
}

TEST_F(IniProfileTest, MissingFileReadsAsEmpty) {
    const IniProfile ini(m_dir.filePath("none.ini"));
    EXPECT_EQ(ini.readString("General", "LastProject", "x"), "x");
    EXPECT_EQ(ini.readString("General", "LastProject"), QString());
    EXPECT_EQ(ini.readInteger("Processing", "LoadUnit", 0), 0);
}

TEST_F(IniProfileTest, LookupFollowsTheProfileRules) {
    const IniProfile ini(writeFile("; comment=1\r\n"
                                   "orphan=before any section\r\n"
                                   "  [ general ]  \r\n"
                                   "  lastproject   =   /home/op/a.fdb   \r\n"
                                   "LastProject=/second/match.fdb\r\n"
                                   "Quoted='/with quotes/'\r\n"
                                   "Half=\"open\r\n"
                                   "Empty=\r\n"
                                   "NoEquals\r\n"
                                   "[Other]\r\n"
                                   "ProjectPath=/other/\r\n"
                                   "[GENERAL]\r\n"
                                   "ProjectPath=/in a later duplicate section/\r\n"));
    EXPECT_EQ(ini.readString("General", "LastProject"), "/home/op/a.fdb");
    EXPECT_EQ(ini.readString("GENERAL", "LASTPROJECT"), "/home/op/a.fdb");
    EXPECT_EQ(ini.readString("General", "Quoted"), "/with quotes/");
    EXPECT_EQ(ini.readString("General", "Half"), "\"open");
    EXPECT_EQ(ini.readString("General", "Empty", "default"), QString());
    EXPECT_EQ(ini.readString("General", "NoEquals", "default"), QString());
    EXPECT_EQ(ini.readString("General", "ProjectPath", "none"), "none");
    EXPECT_EQ(ini.readString("Other", "ProjectPath"), "/other/");
    EXPECT_EQ(ini.readString("General", "orphan", "none"), "none");
    EXPECT_EQ(ini.readString("General", "; comment", "none"), "none");
    EXPECT_EQ(ini.readString("Missing", "Key", "trailing   "), "trailing");
}

TEST_F(IniProfileTest, TextIsWindows1251AndValuesAreCappedAt2047) {
    const QByteArray longValue(3000, 'x');
    const IniProfile ini(
        writeFile("[\xCE\xE1\xF9\xE8\xE5]\n\xCF\xF3\xF2\xFC=/home/\xEE\xEF/\xB9 1.fdb\n"
                  "Long=" +
                  longValue + "\n"));
    EXPECT_EQ(ini.readString(QStringLiteral("ОБЩИЕ"), QStringLiteral("путь")),
              QStringLiteral("/home/оп/№ 1.fdb"));
    EXPECT_EQ(ini.readString(QStringLiteral("Общие"), "Long").size(), 2047);
}

// A path the code page cannot hold survives a save and a new start instead of turning into
// '?' (and the last project being forgotten); Windows-1251 lines stay as they were.
TEST_F(IniProfileTest, PathsOutsideTheCodePageSurviveARoundTrip) {
    const QString path = writeFile("[General]\n"
                                   "Cyrillic=/home/\xEE\xEF/\xB9 1.fdb\n"
                                   "LooksLikeUtf8=\xD0\x9F\n"); // "Рџ", also valid UTF-8 for "П"
    IniProfile ini(path);
    const QString german = QStringLiteral("/home/jürgen/.local/share/zor/projects/");
    const QString mixed = QStringLiteral("/home/оп/日本/№ 2.fdb");
    ini.writeString("General", "ProjectPath", german);
    ini.writeString("General", "LastProject", mixed);
    ini.save();
    EXPECT_EQ(readFile(path), QByteArray("[General]\n"
                                         "Cyrillic=/home/\xEE\xEF/\xB9 1.fdb\n"
                                         "LooksLikeUtf8=\xD0\x9F\n"
                                         "ProjectPath=") +
                                  german.toUtf8() + "\nLastProject=" + mixed.toUtf8() + "\n");
    const IniProfile again(path);
    EXPECT_EQ(again.readString("General", "ProjectPath"), german);
    EXPECT_EQ(again.readString("General", "LastProject"), mixed);
    EXPECT_EQ(again.readString("General", "Cyrillic"), QStringLiteral("/home/оп/№ 1.fdb"));
    EXPECT_EQ(again.readString("General", "LooksLikeUtf8"), QStringLiteral("Рџ"));
}

TEST_F(IniProfileTest, WritingKeepsWhatItDoesNotKnow) {
    const QString path = writeFile("; kept comment\n"
                                   "[General]\n"
                                   "LastProject=/old.fdb\n"
                                   "Unknown=keep me\n"
                                   "\n"
                                   "[Custom]\n"
                                   "A=1\n"
                                   "\n"
                                   "[processing]\n"
                                   "loadunit=1\n");
    IniProfile ini(path);
    ini.writeString("General", "LastProject", "");
    ini.writeString("GENERAL", "ProjectPath", QStringLiteral("/home/оп/projects/"));
    ini.writeInteger("DeviceScreenShot", "InkColor", 255);
    ini.writeInteger("DeviceScreenShot", "BackgroundColor", -1);
    ini.writeInteger("Processing", "LoadUnit", 0);
    ini.save();
    EXPECT_EQ(readFile(path), QByteArray("; kept comment\n"
                                         "[General]\n"
                                         "LastProject=\n"
                                         "Unknown=keep me\n"
                                         "ProjectPath=/home/\xEE\xEF/projects/\n"
                                         "\n"
                                         "[Custom]\n"
                                         "A=1\n"
                                         "\n"
                                         "[processing]\n"
                                         "loadunit=0\n"
                                         "[DeviceScreenShot]\n"
                                         "InkColor=255\n"
                                         "BackgroundColor=-1\n"));
    const IniProfile again(path);
    EXPECT_EQ(again.readString("General", "ProjectPath"), QStringLiteral("/home/оп/projects/"));
    EXPECT_EQ(again.readInteger("DeviceScreenShot", "BackgroundColor", 0), -1);
}

TEST_F(IniProfileTest, SaveCreatesTheFileAndKeepsLineEndsAndPermissions) {
    const QString fresh = m_dir.filePath("fresh.ini");
    IniProfile created(fresh);
    created.writeString("General", "LastProject", "");
    created.save();
    EXPECT_EQ(readFile(fresh), QByteArray("[General]\nLastProject=\n"));

    const QString crlf = writeFile("[General]\r\nLastProject=a\r\n", "crlf.ini");
    ASSERT_EQ(::chmod(QFile::encodeName(crlf).constData(), 0644), 0);
    IniProfile ini(crlf);
    ini.writeString("General", "LastProject", "b");
    ini.writeInteger("Processing", "LoadUnit", 1);
    ini.save();
    EXPECT_EQ(readFile(crlf),
              QByteArray("[General]\r\nLastProject=b\r\n[Processing]\r\nLoadUnit=1\r\n"));
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(crlf).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0644u);
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2)
        << "no temporary file left behind";
}

TEST_F(IniProfileTest, RefusedSaveNamesThePathAndChangesNothing) {
    IniProfile missingFolder(m_dir.filePath("no/such/folder/zor.ini"));
    missingFolder.writeInteger("Processing", "LoadUnit", 1);
    expectSaveRefused(missingFolder);
    EXPECT_FALSE(QFile::exists(missingFolder.path()));

    ASSERT_TRUE(QDir(m_dir.path()).mkdir("folder.ini"));
    IniProfile isFolder(m_dir.filePath("folder.ini"));
    isFolder.writeInteger("Processing", "LoadUnit", 1);
    expectSaveRefused(isFolder);
}

// A write that runs out of room (here a file size limit) leaves the old file whole.
TEST_F(IniProfileTest, FailedWriteLeavesTheOldFileWhole) {
    const QString path = writeFile("[General]\nLastProject=/a.fdb\n");
    IniProfile ini(path);
    ini.writeString("General", "LastProject", QString(2000, QLatin1Char('x')));

    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 1024;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    expectSaveRefused(ini);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1)
        << "no temporary file left behind";
}

TEST_F(IniProfileTest, ReadOnlyFileOrFolderIsRefused) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "permission bits do not stop root";
    const QString path = writeFile("[General]\nLastProject=/a.fdb\n");
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0444), 0);
    IniProfile readOnlyFile(path);
    readOnlyFile.writeString("General", "LastProject", "/b.fdb");
    expectSaveRefused(readOnlyFile);

    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0644), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(m_dir.path()).constData(), 0555), 0);
    IniProfile readOnlyFolder(path);
    readOnlyFolder.writeString("General", "LastProject", "/b.fdb");
    expectSaveRefused(readOnlyFolder);
    ::chmod(QFile::encodeName(m_dir.path()).constData(), 0755);
}

TEST_F(IniProfileTest, ValuesThatWouldBreakTheFileAreRejected) {
    const QString path = writeFile("[General]\nLastProject=/a.fdb\n");
    IniProfile ini(path);
    EXPECT_THROW(ini.writeString("General", "LastProject", "/a\n[Evil]\nx=1.fdb"), zor::Error);
    EXPECT_THROW(ini.writeString("General", "Bad=Key", "1"), zor::Error);
    EXPECT_THROW(ini.writeString("Gen\neral", "Key", "1"), zor::Error);
    ini.save();
    EXPECT_EQ(readFile(path), QByteArray("[General]\nLastProject=/a.fdb\n"));
}

} // namespace
