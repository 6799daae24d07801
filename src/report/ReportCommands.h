#pragma once
#include <cstdint>

class QWidget;
class TMainDataModule;

// The Report and Export commands of the main window: build the measurement report over the
// open project and show it in the modal preview; they return when the preview is closed.
namespace report {

struct MainReport;

void PrintReportActionExecute(QWidget* owner, TMainDataModule& store, int32_t loadUnit);
void ExportActionExecute(QWidget* owner, TMainDataModule& store, int32_t loadUnit);

// The report component the commands run; its band settings stay as the last command set them.
MainReport& mainReport();

} // namespace report
