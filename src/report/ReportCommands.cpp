#include "ReportCommands.h"

#include "MeasurementReport.h"
#include "ReportLog.h"
#include "ReportPreviewForm.h"
#include "ResultRowSource.h"
#include "platform/Product.h"
#include "store/MainDataModuleUnit.h"
#include "store/UpdateGuard.h"

#include <QApplication>
#include <QProgressDialog>

namespace report {

MainReport& mainReport() {
    static MainReport report;
    return report;
}

namespace {

// Builds the pages behind a cancellable progress window naming the page being built.
bool prepareWithProgress(QWidget* owner, const MainReport& r, RowSource& rows, int32_t loadUnit,
                         PreparedReport& out) {
    QProgressDialog progress(QStringLiteral("Построение отчёта"), QStringLiteral("Отмена"), 0, 0,
                             owner);
    progress.setWindowTitle(platform::appTitle());
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(500);
    return prepareReport(
        r, rows, [loadUnit] { return loadUnit; }, out,
        [&](int pages) {
            if (pages % 20 == 0) {
                progress.setLabelText(QStringLiteral("Построение отчёта: страница %1").arg(pages));
                progress.setValue(0);
                QApplication::processEvents();
            }
            return !progress.wasCanceled();
        });
}

void run(QWidget* owner, TMainDataModule& store, int32_t loadUnit, ReportMode mode) {
    const store::UpdateGuard bracket(store);
    MainReport& r = mainReport();
    applyMode(r, mode);
    ResultRowSource rows(*store.dsetZOR());
    qCDebug(lcReport) << (mode == ReportMode::Print ? "report for printing" : "report for export")
                      << "over" << rows.rowCount() << "results";
    PreparedReport prepared;
    if (prepareWithProgress(owner, r, rows, loadUnit, prepared)) {
        ReportPreviewForm preview(owner, prepared, r.previewButtons, r.tmpl.printerName);
        preview.setWindowState(preview.windowState() | Qt::WindowMaximized);
        preview.exec();
    }
}

} // namespace

void PrintReportActionExecute(QWidget* owner, TMainDataModule& store, int32_t loadUnit) {
    run(owner, store, loadUnit, ReportMode::Print);
}

void ExportActionExecute(QWidget* owner, TMainDataModule& store, int32_t loadUnit) {
    run(owner, store, loadUnit, ReportMode::Export);
}

} // namespace report
