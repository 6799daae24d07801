// zor-tool create, check and list as a script sees them: exit status, standard output and error.
#include "StoreFixture.h"

#include "common/ZorToolRun.h"
#include <QFile>

namespace {} // namespace

TEST_F(StoreFixture, ToolCreatesChecksAndListsAsTheGridShows) {
    const QString p = path(QStringLiteral("проект 1.fdb"));
    ToolRun r = runZorTool({"create", p});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    r = runZorTool({"create", p});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.startsWith(QStringLiteral("Не удалось создать проект!\n")))
        << r.err.toStdString();
    EXPECT_EQ(runZorTool({"check", p}).exitCode, 0);
    EXPECT_EQ(runZorTool({"list", p}).out, QString()) << "a new project holds no result";

    ASSERT_TRUE(store.OpenProjectDatabase(p));
    store.AddResult(result(at(2024, 5, 1, 10, 0, 0), 7, 12.345, "Beam", 500));
    store.AddResult(result(at(2024, 4, 30, 9, 0, 0), 9, 0.03, "Rod", 500));
    store.SaveChanges();
    store.CloseProjectDatabase();

    const QString point = QLocale::system().decimalPoint();
    auto expected = [&](const char* text) { return QString::fromUtf8(text).replace('.', point); };
    r = runZorTool({"list", p});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, QStringLiteral("30.04.2024\t09:00:00\t9\tRod\t") + expected("0.0000 \n") +
                         QStringLiteral("01.05.2024\t10:00:00\t7\tBeam\t") + expected("12.345 \n"));
    r = runZorTool({"list", p, "--unit", "1"});
    EXPECT_TRUE(r.out.endsWith(QStringLiteral("\tBeam\t") + expected("121.06 \n")))
        << r.out.toStdString();
}

TEST_F(StoreFixture, ToolRefusesWhatIsNoProject) {
    const QString text = path(QStringLiteral("notes.fdb"));
    QFile f(text);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("not a database");
    f.close();
    struct Case {
        QStringList args;
        int exitCode;
        const char* err; // first line of standard error
    };
    const Case cases[] = {
        {{"check", text}, 1, "Не удалось открыть проект!"},
        {{"list", text}, 1, "Не удалось открыть проект!"},
        {{"check", path("missing.fdb")}, 1, "Не удалось открыть проект!"},
        {{"create", path("no folder/p.fdb")}, 1, "Не удалось создать проект!"},
        {{"list", text, "--unit", "kgf"}, 64, "usage: zor-tool create PROJECT"},
        {{"check"}, 64, "usage: zor-tool create PROJECT"},
    };
    for (const Case& c : cases) {
        const ToolRun r = runZorTool(c.args);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.args.join(' ').toStdString();
        EXPECT_EQ(r.err.section('\n', 0, 0), QString::fromUtf8(c.err))
            << c.args.join(' ').toStdString();
        EXPECT_EQ(r.out, QString()) << c.args.join(' ').toStdString();
    }
    EXPECT_FALSE(QFile::exists(path("missing.fdb"))) << "checking creates nothing";
}
