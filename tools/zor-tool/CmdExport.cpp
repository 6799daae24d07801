#include "Commands.h"

#include "platform/Error.h"
#include "report/CsvExport.h"
#include "report/MeasurementReport.h"
#include "report/PdfWriter.h"
#include "report/ResultRowSource.h"
#include "store/MainDataModuleUnit.h"

#include <QFileInfo>

namespace zortool {

namespace {

// Writing over the project itself would empty the file the results are read from.
void refuseProjectAsOutput(const QString& project, const QString& out) {
    const QFileInfo target(out);
    if (target.exists() && target.canonicalFilePath() == QFileInfo(project).canonicalFilePath())
        throw zor::Error(QStringLiteral("Cannot create file \"%1\". %2")
                             .arg(target.absoluteFilePath(),
                                  QStringLiteral("Это файл проекта, из которого строится отчёт.")));
}

// Opens the project, builds the report in the given mode and hands it to `write`.
template <typename Write>
int exportProject(const QStringList& argsIn, report::ReportMode mode, Write write,
                  QString (*outputName)(const QString&)) {
    QStringList args = argsIn;
    int32_t unit;
    if (!parseUnit(args, unit) || args.size() != 2)
        return usage();
    TMainDataModule store;
    if (!store.OpenProjectDatabase(QFileInfo(args[0]).absoluteFilePath())) {
        const QString reason = store.lastFailureReason();
        printErr(QStringLiteral("Не удалось открыть проект!") +
                 (reason.isEmpty() ? QString() : '\n' + reason));
        return 1;
    }
    store.SetLoadUnit(unit);
    try {
        report::MainReport r;
        report::applyMode(r, mode);
        report::ResultRowSource rows(*store.dsetZOR());
        report::PreparedReport prepared;
        report::prepareReport(
            r, rows, [unit] { return unit; }, prepared);
        const QString out = outputName(args[1]);
        refuseProjectAsOutput(args[0], out);
        write(prepared, out);
    } catch (const zor::Error& e) {
        printErr(e.text());
        store.CloseProjectDatabase();
        return 1;
    }
    store.CloseProjectDatabase();
    return 0;
}

} // namespace

int cmdExportCsv(const QStringList& args) {
    return exportProject(args, report::ReportMode::Export, report::writeCsv, report::csvFileName);
}

int cmdExportPdf(const QStringList& args) {
    return exportProject(args, report::ReportMode::Print, report::writePdf,
                         [](const QString& out) { return out; });
}

} // namespace zortool
