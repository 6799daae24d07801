#include "MemoryRows.h"
#include "platform/Cp1251.h"
#include "platform/Error.h"
#include "report/CsvExport.h"
#include "report/MeasurementReport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>

using namespace report;

namespace {

QByteArray readFile(const QString& path) {
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
    return f.readAll();
}

QByteArray expected(const char* name) {
    return readFile(QStringLiteral(REPORT_TEST_DATA "/%1").arg(QLatin1String(name)));
}

QByteArray exportCsv(MainReport& r, MemoryRows& rows, int32_t unit) {
    applyMode(r, ReportMode::Export);
    PreparedReport out;
    EXPECT_TRUE(prepareReport(
        r, rows, [unit] { return unit; }, out));
    return csvBytes(out);
}

// The export of n numbered results, as the preview holds it before a save.
PreparedReport exported(int n) {
    MainReport r;
    MemoryRows rows = MemoryRows::numbered(n);
    applyMode(r, ReportMode::Export);
    PreparedReport rep;
    EXPECT_TRUE(prepareReport(
        r, rows, [] { return 0; }, rep));
    return rep;
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

} // namespace

TEST(CsvExport, WritesTheTitleHeaderAndOneRowPerResult) {
    struct Case {
        const char* file;
        int32_t unit;
        std::vector<QStringList> rows;
    };
    const Case cases[] = {
        {"kgf.csv",
         0,
         {{"05.03.2024", "14:07:09", "1", "AB;C", "12.345 "},
          {"05.03.2024", "14:07:10", "2", "Say \"hi\"", "-12.345"},
          {"05.03.2024", "14:07:11", "3", "", "0.0000 "},
          {"06.03.2024", "09:00:00", "65535", "Press 1", "1234.5 "}}},
        {"newton.csv", 1, {{"05.03.2024", "14:07:09", "1", "Проба", "121.06 "}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        MainReport r;
        MemoryRows rows;
        rows.rows = c.rows;
        EXPECT_EQ(exportCsv(r, rows, c.unit), expected(c.file));
    }
}

// Built independently of the grid: title, header, then one line per result.
QString expectedLines(const MemoryRows& rows) {
    QString s = QStringLiteral(";ЗОР\r\n;Дата;Время;№;Объект;;;Усилие, ;кгс\r\n");
    for (const QStringList& r : rows.rows)
        s += QStringLiteral(";%1;%2;%3;%4;;;%5\r\n").arg(r[0], r[1], r[2], r[3], r[4]);
    return s;
}

TEST(CsvExport, ManyPagesGiveTheHeaderOnceAndNoSeparators) {
    MainReport r;
    applyMode(r, ReportMode::Print); // a report run first must not leak into the export
    for (int n : {60, 120}) {
        MemoryRows rows = MemoryRows::numbered(n);
        const QByteArray csv = exportCsv(r, rows, 0);
        EXPECT_EQ(csv, platform::toCp1251(expectedLines(rows))) << n;
    }
}

TEST(CsvExport, FileNameGetsTheCsvExtension) {
    const std::pair<const char*, const char*> cases[] = {
        {"/tmp/out.txt", "/tmp/out.csv"}, {"/tmp/out", "/tmp/out.csv"},
        {"/tmp/out.csv", "/tmp/out.csv"}, {"/tmp/a.b/out", "/tmp/a.b/out.csv"},
        {"/tmp/x.y.txt", "/tmp/x.y.csv"}, {"rel/out.", "rel/out.csv"}};
    for (auto [in, out] : cases)
        EXPECT_EQ(csvFileName(in), out) << in;
}

TEST(CsvExport, WritesOverAnExistingFileAndReportsOneItCannotCreate) {
    const PreparedReport rep = exported(3);
    QTemporaryDir dir;
    const QString path = dir.filePath("out.csv");
    writeFile(path, QByteArray(5000, 'x'));
    writeCsv(rep, path);
    EXPECT_EQ(readFile(path), csvBytes(rep));

    const QString bad = dir.filePath("missing/out.csv");
    try {
        writeCsv(rep, bad);
        FAIL() << "no error";
    } catch (const zor::Error& e) {
        EXPECT_TRUE(e.text().startsWith(QStringLiteral("Cannot create file \"%1\". ").arg(bad)))
            << e.text().toStdString();
        EXPECT_GT(e.text().size(), QStringLiteral("Cannot create file \"%1\". ").arg(bad).size());
    }
    EXPECT_FALSE(QFile::exists(bad));
}

// A disk that fills up during the write: the error is reported and the old file stays whole.
TEST(CsvExport, AWriteCutShortLeavesTheOldFileWhole) {
    const PreparedReport rep = exported(200);
    QTemporaryDir dir;
    const QString path = dir.filePath("out.csv");
    writeFile(path, "old contents\r\n");

    struct rlimit saved {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 1000; // far less than the CSV of 200 results
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    EXPECT_THROW(writeCsv(rep, path), zor::Error);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
    EXPECT_EQ(readFile(path), QByteArray("old contents\r\n"));
}
