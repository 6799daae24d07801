#include "StoreFixture.h"

#include "store/DescriptionDataSet.h"

#include <QFile>

using namespace store;

TEST_F(StoreFixture, NewFileHoldsTheIdentityRowAndNoResults) {
    const QString p = newProject();
    EXPECT_FALSE(store.ProjectActive()) << "creation leaves nothing open";
    ProjectConnection c;
    c.connect(p);
    fb::Statement s(c.transaction(), "SELECT DESC_TABLE_PK, DEVICE_NAME, DEVICE_DATA_VERSION, "
                                     "PROJECT_DESC, CHAR_LENGTH(DEVICE_NAME) FROM DESC_TABLE");
    s.openCursor();
    ASSERT_TRUE(s.fetch());
    EXPECT_EQ(s.getInt(0), 1);
    EXPECT_EQ(s.getText(1), QByteArray("ZOR-1.0"));
    EXPECT_EQ(s.getInt(2), 65537);
    EXPECT_TRUE(s.isNull(3));
    EXPECT_EQ(s.getInt(4), 32) << "the engine pads the name to 32 characters";
    EXPECT_FALSE(s.fetch());
    fb::Statement n(c.transaction(), "SELECT COUNT(*) FROM MSR_RESULT_TABLE");
    n.openCursor();
    ASSERT_TRUE(n.fetch());
    EXPECT_EQ(n.getInt(0), 0);
    n.closeCursor();
    // The triggers fill a null key from the generator; an explicit key is kept as given.
    c.execSql("INSERT INTO MSR_RESULT_TABLE (MSR_NUMBER) VALUES (5)");
    c.execSql("INSERT INTO MSR_RESULT_TABLE (MSR_RESULT_TABLE_PK, MSR_NUMBER) VALUES (40, 6)");
    c.execSql("INSERT INTO MSR_RESULT_TABLE (MSR_NUMBER) VALUES (7)");
    fb::Statement k(c.transaction(), "SELECT MSR_NUMBER, MSR_RESULT_TABLE_PK FROM "
                                     "MSR_RESULT_TABLE ORDER BY MSR_NUMBER");
    k.openCursor();
    std::vector<int> keys;
    while (k.fetch())
        keys.push_back(k.getInt(1));
    EXPECT_EQ(keys, (std::vector<int>{1, 40, 2}));
    c.disconnect();
}

TEST_F(StoreFixture, CreationRefusesAnExistingFileAndAcceptsAnApostrophe) {
    const QString p = newProject();
    EXPECT_FALSE(store.CreateProjectDatabase(p));
    EXPECT_FALSE(store.CreateProjectDatabase(QString()));
    const QString odd = path(QStringLiteral("O'Brien's проект.fdb"));
    ASSERT_TRUE(store.CreateProjectDatabase(odd)) << store.lastFailureReason().toStdString();
    EXPECT_TRUE(store.OpenProjectDatabase(odd));
    store.CloseProjectDatabase();
}

TEST_F(StoreFixture, FreshFileOpensSortedAndCloses) {
    openNewProject();
    EXPECT_TRUE(store.ProjectActive());
    EXPECT_TRUE(store.ResultsEmpty());
    EXPECT_FALSE(store.ProjectModified());
    store.CloseProjectDatabase();
    EXPECT_FALSE(store.ProjectActive());
    store.CloseProjectDatabase(); // a second close finds nothing open
}

struct ForeignFile {
    const char* name;
    const char* sql; // applied to a fresh project; null: not a database at all
};
void PrintTo(const ForeignFile& f, std::ostream* os) {
    *os << f.name;
}

class IdentityCheck : public StoreFixture, public ::testing::WithParamInterface<ForeignFile> {};

TEST_P(IdentityCheck, RefusesAndLeavesNothingOpen) {
    const ForeignFile& f = GetParam();
    const QString p = path(QStringLiteral("f.fdb"));
    if (f.sql) {
        ASSERT_TRUE(store.CreateProjectDatabase(p));
        for (const QString& sql : QString::fromLatin1(f.sql).split(';', Qt::SkipEmptyParts))
            execOn(p, sql);
    } else {
        QFile file(p);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(8192, 'x'));
    }
    const QByteArray before = [&] {
        QFile file(p);
        file.open(QIODevice::ReadOnly);
        return file.readAll();
    }();
    EXPECT_FALSE(store.OpenProjectDatabase(p)) << f.name;
    EXPECT_FALSE(store.ProjectActive());
    EXPECT_TRUE(store.ResultsEmpty());
    if (!f.sql) {
        QFile file(p);
        file.open(QIODevice::ReadOnly);
        EXPECT_EQ(file.readAll(), before) << "a refused file is never written";
    }
    // Nothing is left open: another project opens at once.
    const QString good = newProject(QStringLiteral("good.fdb"));
    EXPECT_TRUE(store.OpenProjectDatabase(good));
    store.CloseProjectDatabase();
}

INSTANTIATE_TEST_SUITE_P(
    Files, IdentityCheck,
    ::testing::Values(
        ForeignFile{"lower-case model", "UPDATE DESC_TABLE SET DEVICE_NAME = 'zor-1.0'"},
        ForeignFile{"version 65536", "UPDATE DESC_TABLE SET DEVICE_DATA_VERSION = 65536"},
        ForeignFile{"null version", "UPDATE DESC_TABLE SET DEVICE_DATA_VERSION = NULL"},
        ForeignFile{"empty description table", "DELETE FROM DESC_TABLE"},
        ForeignFile{"no results table", "DROP TABLE MSR_RESULT_TABLE"},
        ForeignFile{"no description table",
                    "DROP TRIGGER CREATE_DESC_RECORD;DROP TABLE DESC_TABLE"},
        ForeignFile{"not a database", nullptr}),
    [](const auto& info) {
        std::string n = info.param.name;
        for (char& c : n)
            if (!isalnum(static_cast<unsigned char>(c)))
                c = '_';
        return n;
    });

TEST_F(StoreFixture, MissingFileAndDoubleOpen) {
    EXPECT_FALSE(store.OpenProjectDatabase(path(QStringLiteral("absent.fdb"))));
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("absent.fdb"))));
    openNewProject();
    EXPECT_THROW(store.OpenProjectDatabase(path(QStringLiteral("p.fdb"))), zor::Error);
    EXPECT_TRUE(store.ProjectActive()) << "the open project is untouched";
}
