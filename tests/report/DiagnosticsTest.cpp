#include "ProjectFixture.h"
#include "platform/Error.h"
#include "report/CsvExport.h"
#include "report/MeasurementReport.h"
#include "report/ReportLog.h"
#include "report/ResultRowSource.h"
#include "store/ResultDataSet.h"
#include "store/StoreLog.h"

#include <QLoggingCategory>
#include <mutex>

using namespace report;

namespace {

// Every zor.* line the program writes while it lives; other output passes on as before.
class ZorLines {
public:
    ZorLines() {
        s_lines.clear();
        s_previous = qInstallMessageHandler(&ZorLines::handle);
    }
    ~ZorLines() {
        qInstallMessageHandler(s_previous);
        QLoggingCategory::setFilterRules(QString());
    }
    // The lines of one category that hold `text`.
    int count(const char* category, const QString& text) const {
        std::lock_guard lock(s_mutex);
        int n = 0;
        for (const auto& [c, line] : s_lines)
            n += c == category && line.contains(text) ? 1 : 0;
        return n;
    }
    // Position of the first line of the category holding `text` at or after `from`; -1 if none.
    int indexOf(const char* category, const QString& text, int from = 0) const {
        std::lock_guard lock(s_mutex);
        for (int i = from; i < int(s_lines.size()); ++i)
            if (s_lines[i].first == category && s_lines[i].second.contains(text))
                return i;
        return -1;
    }
    QString at(int i) const {
        std::lock_guard lock(s_mutex);
        return s_lines.at(i).second;
    }
    size_t total() const {
        std::lock_guard lock(s_mutex);
        return s_lines.size();
    }

private:
    static void handle(QtMsgType type, const QMessageLogContext& context, const QString& text) {
        const QByteArray category = context.category ? context.category : "";
        if (!category.startsWith("zor.")) {
            s_previous(type, context, text);
            return;
        }
        std::lock_guard lock(s_mutex);
        s_lines.emplace_back(category, text);
    }
    static inline std::mutex s_mutex;
    static inline std::vector<std::pair<QByteArray, QString>> s_lines;
    static inline QtMessageHandler s_previous = nullptr;
};

} // namespace

class Diagnostics : public ProjectFixture {
public:
    // Saves a project of two results and exports it as CSV.
    void saveAndExport() {
        project({result(5, 14, 7, 9, 1, 12.345, 500, "A"), result(5, 14, 7, 10, 2, 1.5, 500, "B")});
        MainReport r;
        applyMode(r, ReportMode::Export);
        ResultRowSource rows(*store.dsetZOR());
        PreparedReport out;
        ASSERT_TRUE(prepareReport(
            r, rows, [] { return 0; }, out));
        writeCsv(out, path("out.csv"));
    }
};

TEST_F(Diagnostics, SayNothingUnlessAskedFor) {
    ZorLines lines;
    EXPECT_FALSE(lcStore().isDebugEnabled());
    EXPECT_FALSE(lcReport().isDebugEnabled());
    saveAndExport();
    EXPECT_EQ(lines.total(), 0u);
}

TEST_F(Diagnostics, TellStatementsCommitsAndReportWorkWhenAskedFor) {
    ZorLines lines;
    QLoggingCategory::setFilterRules(QStringLiteral("zor.*.debug=true"));
    saveAndExport();
    EXPECT_EQ(lines.count("zor.store", "attach"), 1);
    // The insert, prepared once for both rows, then the commit, then the save's total.
    const int insert = lines.indexOf("zor.store", "done: runs 2 rows 0 time");
    ASSERT_GE(insert, 0);
    EXPECT_TRUE(lines.at(insert).contains("INSERT INTO MSR_RESULT_TABLE"));
    const int commit = lines.indexOf("zor.store", "commit retaining", insert);
    ASSERT_GT(commit, insert);
    EXPECT_GT(lines.indexOf("zor.store", "saved in", commit), commit);
    EXPECT_EQ(lines.count("zor.report", "prepared 1 pages of 2 rows"), 1);
    EXPECT_EQ(lines.count("zor.report", "CSV written:"), 1);
    // A failed save says why and that it was rolled back.
    store.ExecSQL(QStringLiteral("INSERT INTO MSR_RESULT_TABLE (MSR_RESULT_TABLE_PK) VALUES (%1)")
                      .arg(store.dsetZOR()->value(1, store::MSR_RESULT_TABLE_PK).toInt() + 1));
    store.AddResult(result(6, 9, 0, 0, 3, 1.0, 500, "C"));
    EXPECT_THROW(store.SaveChanges(), zor::Error);
    EXPECT_EQ(lines.count("zor.store", "engine error: violation of PRIMARY or UNIQUE KEY"), 1);
    EXPECT_EQ(lines.count("zor.store", "rollback retaining"), 1);
}
