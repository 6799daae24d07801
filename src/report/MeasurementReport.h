#pragma once
#include "PreparedReport.h"
#include "ReportEngine.h"
#include "ReportTemplate.h"
#include "RowSource.h"

#include <cstdint>
#include <functional>

// The measurement report component: its template, preview buttons and the two run modes.
namespace report {

// Preview tool buttons, bit 0 upwards.
enum PreviewButton : uint32_t {
    pbZoom = 1u << 0,
    pbLoad = 1u << 1,
    pbSave = 1u << 2,
    pbPrint = 1u << 3,
    pbFind = 1u << 4,
    pbHelp = 1u << 5,
    pbExit = 1u << 6,
    pbPageSetup = 1u << 7,
};

enum class ReportMode { Print, Export };

struct MainReport {
    ReportTemplate tmpl = measurementTemplate();
    uint32_t previewButtons = pbZoom | pbLoad | pbSave | pbPrint | pbExit;
};

// Print: header on every page and the footer; export: header once, no footer.
// Both band settings are set every time, so a run never depends on the one before.
void applyMode(MainReport& report, ReportMode mode);

// "кгс" for unit 0, "Н" for any other value.
QString loadUnitText(int32_t unit);
// Supplies "LoadUnit" (exact, case-sensitive); leaves every other name to the engine.
bool MainReportGetValue(const QString& name, QString& value, int32_t loadUnit);

// One run of the report over the rows; the load unit is read whenever [LoadUnit] is printed.
bool prepareReport(const MainReport& report, RowSource& rows,
                   const std::function<int32_t()>& loadUnit, PreparedReport& out,
                   const ProgressHandler& progress = {});

} // namespace report
