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
int exportProject(const Arguments& args, report::ReportMode mode, Write write,
                  QString (*outputName)(const QString&)) {
    const QString& project = args.required[0];
    TMainDataModule store;
    if (!openProject(store, project))
        return 1;
    const int32_t unit = args.unit;
    store.SetLoadUnit(unit);
    try {
        report::MainReport r;
        report::applyMode(r, mode);
        report::ResultRowSource rows(*store.dsetZOR());
        report::PreparedReport prepared;
        report::prepareReport(
            r, rows, [unit] { return unit; }, prepared);
        const QString out = outputName(args.required[1]);
        refuseProjectAsOutput(project, out);
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

int cmdExportCsv(const Arguments& args) {
    return exportProject(args, report::ReportMode::Export, report::writeCsv, report::csvFileName);
}

int cmdExportPdf(const Arguments& args) {
    return exportProject(args, report::ReportMode::Print, report::writePdf,
                         [](const QString& out) { return out; });
}

} // namespace zortool
