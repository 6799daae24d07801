#pragma once
#include "Download.h"
#include "DownloadSummaryUnit.h"

#include <QWidget>
#include <memory>

class TMainDataModule;

// The command "Считать из прибора": download behind a modal progress dialog, report a failure
// with its status, merge into the open project and show the counts.
void ReadFromDeviceActionExecute(QWidget* owner, TMainDataModule& store, QWidget* grid);

namespace download {

// Runs the worker behind a modal TDownloadForm and joins it. Empty results unless completed.
// Returns nothing (after saying so) when no instrument is attached.
std::optional<DownloadOutcome> downloadWithProgress(QWidget* owner, TArrayOfMsrResult& results);

// Shows the failure message for a non-zero status ("Ошибка связи XXXXXXXX").
void reportStatus(QWidget* owner, device::Status status);
void showSummary(QWidget* owner, int inDevice, int added);
void focusGrid(QWidget* grid);

// The command over any store with BeginUpdate, EndUpdate, AddResult and SortResults.
template <class Store> void readFromDevice(QWidget* owner, Store& store, QWidget* grid) {
    TArrayOfMsrResult results;
    const auto outcome = downloadWithProgress(owner, results);
    if (!outcome)
        return;
    if (outcome->status != 0) {
        reportStatus(owner, outcome->status);
    } else if (outcome->completed) {
        const int added = mergeResults(store, results);
        showSummary(owner, static_cast<int>(results.size()), added);
    }
    focusGrid(grid);
}

} // namespace download
