#include "MeasurementReport.h"

namespace report {

void applyMode(MainReport& report, ReportMode mode) {
    const bool print = mode == ReportMode::Print;
    report.previewButtons = print ? (pbZoom | pbPrint | pbExit) : (pbZoom | pbSave | pbExit);
    if (print)
        if (Band* header = report.tmpl.findBand(QStringLiteral("MasterHeader")))
            header->visible = true;
    report.tmpl.setBandProperty(QStringLiteral("MasterHeader"), QStringLiteral("RepeatHeader"),
                                print);
    if (Band* footer = report.tmpl.findBand(QStringLiteral("PageFooter")))
        footer->visible = print;
}

QString loadUnitText(int32_t unit) {
    return unit == 0 ? QStringLiteral("кгс") : QStringLiteral("Н");
}

bool MainReportGetValue(const QString& name, QString& value, int32_t loadUnit) {
    if (name != QLatin1String("LoadUnit"))
        return false;
    value = loadUnitText(loadUnit);
    return true;
}

bool prepareReport(const MainReport& report, RowSource& rows,
                   const std::function<int32_t()>& loadUnit, PreparedReport& out,
                   const ProgressHandler& progress) {
    ReportEngine engine(report.tmpl, rows);
    engine.setGetValue([&loadUnit](const QString& name, QString& value) {
        return MainReportGetValue(name, value, loadUnit());
    });
    engine.setProgress(progress);
    return engine.prepare(out);
}

} // namespace report
