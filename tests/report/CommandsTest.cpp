#include "ProjectFixture.h"
#include "platform/Error.h"
#include "report/CsvExport.h"
#include "report/MeasurementReport.h"
#include "report/ReportCommands.h"
#include "report/ReportPreviewForm.h"
#include "report/ResultRowSource.h"
#include "store/ProjectConnection.h"
#include "store/ResultDataSet.h"
#include "ui/ScriptedMessages.h"

#include <QApplication>
#include <QPrinter>
#include <QRegularExpression>
#include <QScrollArea>
#include <QTimer>
#include <functional>

using namespace report;

namespace {

QByteArray expected(const char* name) {
    return ProjectFixture::readFile(
        QStringLiteral(REPORT_TEST_DATA "/%1").arg(QLatin1String(name)));
}

// Runs `check` on the preview once it is shown modally, then closes it with its exit button.
void onPreview(std::function<void(ReportPreviewForm&)> check, bool* seen) {
    QTimer::singleShot(0, [check, seen] {
        auto* form = qobject_cast<ReportPreviewForm*>(QApplication::activeModalWidget());
        if (!form)
            return onPreview(check, seen);
        *seen = true;
        check(*form);
        form->findChild<QAction*>("ExitAction")->trigger();
    });
}

using Command = void (*)(QWidget*, TMainDataModule&, int32_t);

} // namespace

class ReportCommands : public ProjectFixture {};

TEST_F(ReportCommands, EachModeShowsItsButtonsAndLeavesTheStoreAsFound) {
    struct Case {
        Command command;
        bool save, print;
        int pages;
    };
    numberedProject(60);
    for (Case c : {Case{ExportActionExecute, true, false, 2},
                   Case{PrintReportActionExecute, false, true, 2}}) {
        bool seen = false;
        onPreview(
            [&](ReportPreviewForm& f) {
                EXPECT_TRUE(f.isModal());
                EXPECT_TRUE(f.windowState() & Qt::WindowMaximized);
                EXPECT_EQ(f.hasAction("SaveAction"), c.save);
                EXPECT_EQ(f.hasAction("PrintAction"), c.print);
                EXPECT_TRUE(f.findChild<QWidget*>("ZoomBox"));
                EXPECT_EQ(f.pageCount(), c.pages);
                EXPECT_EQ(f.currentPage(), 0);
                QScrollArea* area = f.findChild<QScrollArea*>();
                EXPECT_NEAR(area->widget()->width(), area->viewport()->width(), 40)
                    << "zoomed to the page width";
                EXPECT_FALSE(store.ControlsEnabled()) << "the update bracket is open";
                f.findChild<QAction*>("NextPageAction")->trigger();
                EXPECT_EQ(f.currentPage(), 1);
            },
            &seen);
        c.command(nullptr, store, 0);
        EXPECT_TRUE(seen);
        EXPECT_TRUE(store.ControlsEnabled());
        EXPECT_EQ(store.dsetZOR()->currentRow(), 59) << "the walk leaves the last row current";
    }
}

TEST_F(ReportCommands, AFailingRunStillClosesTheUpdateBracket) {
    smallProject();
    const QString saved = mainReport().tmpl.bands[0].cells[0].text;
    mainReport().tmpl.bands[0].cells[0].text = "[NoSuchName]";
    EXPECT_THROW(PrintReportActionExecute(nullptr, store, 0), zor::Error);
    mainReport().tmpl.bands[0].cells[0].text = saved;
    EXPECT_TRUE(store.ControlsEnabled());
}

// The preview's save and zor-tool export-csv write the same bytes, those of the hand-written files.
TEST_F(ReportCommands, SavedCsvMatchesTheHandWrittenFilesAndTheTool) {
    const QString p = smallProject();
    struct Case {
        int32_t unit;
        const char* file;
    };
    for (Case c : {Case{0, "kgf.csv"}, Case{1, "project_newton.csv"}}) {
        SCOPED_TRACE(c.file);
        store.SetLoadUnit(c.unit);
        ui::ScriptedMessages messages;
        const QString chosen = path(QStringLiteral("saved%1.txt").arg(c.unit));
        messages.chooseFile(chosen);
        bool seen = false;
        onPreview([](ReportPreviewForm& f) { f.findChild<QAction*>("SaveAction")->trigger(); },
                  &seen);
        ExportActionExecute(nullptr, store, c.unit);
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_TRUE(messages.shown[0].file.filter.startsWith("Файл CSV (*.csv)"));
        EXPECT_FALSE(messages.shown[0].file.confirmOverwrite);
        EXPECT_FALSE(QFile::exists(chosen));
        EXPECT_EQ(readFile(path(QStringLiteral("saved%1.csv").arg(c.unit))), expected(c.file));
    }
    store.CloseProjectDatabase(); // the tool is another process
    const Run run = zorTool({"export-csv", p, path("tool.txt"), "--unit", "1"});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(readFile(path("tool.csv")), expected("project_newton.csv"));
}

TEST_F(ReportCommands, AFailedSaveIsShownAndThePreviewStaysOpen) {
    smallProject();
    ui::ScriptedMessages messages;
    const QString bad = path("missing/out.csv");
    bool seen = false;
    onPreview(
        [&](ReportPreviewForm& f) {
            f.saveTo(bad);
            EXPECT_TRUE(f.isVisible());
            f.saveTo(path("after.csv")); // the operator can save again
        },
        &seen);
    ExportActionExecute(nullptr, store, 0);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].caption, "ЗОР-1.0");
    EXPECT_TRUE(
        messages.shown[0].text.startsWith(QStringLiteral("Cannot create file \"%1\". ").arg(bad)));
    EXPECT_EQ(readFile(path("after.csv")), expected("kgf.csv"));
}

TEST_F(ReportCommands, ExportAfterReportAndReportAfterExportLookAsAlone) {
    numberedProject(101);
    int exportPages = 0, printPages = 0;
    bool seen = false;
    onPreview([&](ReportPreviewForm& f) { printPages = f.pageCount(); }, &seen);
    PrintReportActionExecute(nullptr, store, 0);
    onPreview([&](ReportPreviewForm& f) { exportPages = f.pageCount(); }, &seen);
    ExportActionExecute(nullptr, store, 0);
    EXPECT_EQ(printPages, 3);  // 49 + 49 + 3 under repeated headers
    EXPECT_EQ(exportPages, 2); // 49 + 52 with the header once
    onPreview([&](ReportPreviewForm& f) { printPages = f.pageCount(); }, &seen);
    PrintReportActionExecute(nullptr, store, 0);
    EXPECT_EQ(printPages, 3);
}

QString pdfText(const QString& pdf, int page) {
    QProcess p;
    p.start("pdftotext",
            {"-f", QString::number(page), "-l", QString::number(page), "-layout", pdf, "-"});
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

int pdfPages(const QString& pdf) {
    QProcess p;
    p.start("pdfinfo", {pdf});
    p.waitForFinished(30000);
    for (const QString& line : QString::fromUtf8(p.readAllStandardOutput()).split('\n'))
        if (line.startsWith("Pages:"))
            return line.mid(6).trimmed().toInt();
    return -1;
}

TEST_F(ReportCommands, PdfFromTheToolAndThePrinterHoldTheReportPages) {
    const QString p = numberedProject(60);
    const QString printed = path("printed.pdf");
    bool seen = false;
    onPreview(
        [&](ReportPreviewForm& f) {
            QPrinter printer(QPrinter::HighResolution);
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(printed);
            f.printTo(printer);
        },
        &seen);
    PrintReportActionExecute(nullptr, store, 1);
    store.CloseProjectDatabase();
    const Run run = zorTool({"export-pdf", p, path("tool.pdf")});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    for (const QString& pdf : {printed, path("tool.pdf")}) {
        SCOPED_TRACE(pdf.toStdString());
        EXPECT_EQ(pdfPages(pdf), 2);
        const QString page2 = pdfText(pdf, 2);
        EXPECT_TRUE(page2.contains("ЗОР")) << page2.toStdString();
        EXPECT_TRUE(page2.contains(QRegularExpression("Дата\\s+Время\\s+№\\s+Объект\\s+Усилие,")));
        EXPECT_TRUE(page2.contains("Страница 2"));
        EXPECT_TRUE(page2.contains("Obj 60"));
        EXPECT_FALSE(page2.contains("Obj 49 "));
    }
    EXPECT_TRUE(pdfText(printed, 1).contains("Усилие, Н"));
    EXPECT_TRUE(pdfText(path("tool.pdf"), 1).contains("Усилие, кгс"));
}

TEST_F(ReportCommands, ToolRejectsBadUseAndMissingProjects) {
    EXPECT_EQ(zorTool({"export-csv", path("none.fdb"), path("o.csv")}).status, 1);
    EXPECT_TRUE(zorTool({"export-pdf", path("none.fdb"), path("o.pdf")})
                    .err.contains("Не удалось открыть проект!"));
    EXPECT_EQ(zorTool({"export-csv", path("none.fdb")}).status, 64);
    EXPECT_EQ(zorTool({"export-csv", path("a"), path("b"), "--unit", "x"}).status, 64);
    smallProject();
    store.CloseProjectDatabase();
    const Run run = zorTool({"export-csv", path("p.fdb"), path("missing/o.csv")});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains("Cannot create file \"" + path("missing/o.csv") + "\". "))
        << run.err.toStdString();
}

// Null fields: the number prints as 0, the object and load as empty cells that keep their place.
TEST_F(ReportCommands, NullFieldsPrintAsTheReportShowsThem) {
    const QString p = project({result(5, 14, 7, 9, 7, 12.345, 500, "Obj")});
    store.CloseProjectDatabase();
    store::ProjectConnection c;
    c.connect(p);
    c.execSql("UPDATE MSR_RESULT_TABLE SET MSR_NUMBER = NULL, OBJECT_NAME = NULL, LOAD = NULL");
    c.disconnect();
    ASSERT_TRUE(store.OpenProjectDatabase(p));

    MainReport r;
    applyMode(r, ReportMode::Export);
    ResultRowSource rows(*store.dsetZOR());
    PreparedReport out;
    ASSERT_TRUE(prepareReport(
        r, rows, [] { return 0; }, out));
    const QByteArray csv = csvBytes(out);
    EXPECT_TRUE(csv.endsWith(";05.03.2024;14:07:09;0;;;;\r\n")) << csv.toStdString();
}

TEST_F(ReportCommands, ToolNeverWritesOverTheProjectItReads) {
    const QString p = smallProject();
    store.CloseProjectDatabase();
    const Run run = zorTool({"export-pdf", p, p});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.startsWith("Cannot create file \"" + p + "\". ")) << run.err.toStdString();
    const Run list = zorTool({"list", p});
    EXPECT_EQ(list.status, 0) << list.err.toStdString();
    EXPECT_EQ(list.out.count('\n'), 4) << "the results are still there";
}
