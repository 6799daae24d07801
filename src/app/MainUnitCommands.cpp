// The main window's commands and their enabling.
#include "about/AboutUnit.h"
#include "app/GeneralErrorHandler.h"
#include "app/MainUnit.h"
#include "device/USB.h"
#include "download/ReadFromDevice.h"
#include "report/ReportCommands.h"
#include "screenshot/ScreenShotAction.h"
#include "store/DescriptionDataSet.h"
#include "store/MainDataModuleUnit.h"
#include "store/ResultDataSet.h"
#include "ui/DataMemo.h"
#include "ui/MessageSeam.h"
#include "ui/ResultGrid.h"

#include <QAction>

void TMainForm::ActionListUpdate() {
    if (m_actionsSuspended)
        return;
    const bool active = m_store->ProjectActive();
    const bool modified = m_store->ProjectModified();
    const bool empty = m_store->ResultsEmpty();
    SaveProjectAction->setEnabled(active && modified);
    CloseProjectAction->setEnabled(active);
    PrintReportAction->setEnabled(active && !empty);
    ExportAction->setEnabled(active && !empty);
    CancelChangesAction->setEnabled(active && modified);
    DeleteAllRecordsAction->setEnabled(active && !empty);
    ReadFromDeviceAction->setEnabled(active);
    CommentDBMemo->setEnabled(active && !m_store->ResultsEmpty());
}

void TMainForm::bindCommand(QAction* action, Handler handler) {
    connect(action, &QAction::triggered, this,
            [this, action, handler] { app::guarded([&] { runCommand(action, handler); }, this); });
}

// A command runs only when the rules, evaluated right now, enable it.
void TMainForm::runCommand(QAction* action, Handler handler) {
    if (m_actionsSuspended)
        return;
    ActionListUpdate();
    if (!action->isEnabled())
        return;
    (this->*handler)();
    scheduleUpdate();
}

void TMainForm::SaveProjectActionExecute() {
    m_store->PostEdits();
    m_store->SaveChanges();
}

void TMainForm::CloseProjectActionExecute() {
    m_store->PostEdits();
    if (ProjectCloseQuery())
        closeShownProject();
}

void TMainForm::ExitApplicationActionExecute() {
    close();
}

void TMainForm::DeleteAllRecordsActionExecute() {
    if (ui::askYesNo(this, "Удалить все записи из проекта?") != QMessageBox::Yes)
        return;
    m_store->PostEdits();
    m_store->DeleteAllResults();
}

// An edit still in progress in a memo is discarded along with the posted changes: the operator
// asked to go back to the saved project, and that text is part of what was changed.
void TMainForm::CancelChangesActionExecute() {
    for (store::CachedDataset* ds :
         {static_cast<store::CachedDataset*>(m_store->dsetZOR()),
          static_cast<store::CachedDataset*>(m_store->DescriptionDataSet())})
        if (ds->state() == store::DataSetState::Edit || ds->state() == store::DataSetState::Insert)
            ds->cancel();
    m_store->CancelChanges();
}

void TMainForm::ReadFromDeviceActionExecute() {
    ::ReadFromDeviceActionExecute(this, *m_store, MainDBGrid);
}

void TMainForm::PrintReportActionExecute() {
    report::PrintReportActionExecute(this, *m_store, m_loadUnit);
}

void TMainForm::ExportActionExecute() {
    report::ExportActionExecute(this, *m_store, m_loadUnit);
}

void TMainForm::ScreenShotActionExecute() {
    screenshot::ScreenShotActionExecute(this, m_inkColor, m_backgroundColor);
}

void TMainForm::miAboutClick() {
    about::showAbout(this, m_options.executablePath);
}

void TMainForm::cboxLoadUnitChange(int index) {
    m_loadUnit = index == 0 ? 0 : 1;
    m_store->SetLoadUnit(m_loadUnit);
}

void TMainForm::CommentDBMemoExit() {
    if (m_store->ProjectActive())
        m_store->PostEdits();
}

void TMainForm::DescriptionDBMemoExit() {
    if (m_store->ProjectActive())
        m_store->PostEdits();
}

// The link's status is not examined: without it no instrument ever counts as connected, and
// the device commands say so when used.
void TMainForm::openUsbLink() {
    OpenUSB();
}

void TMainForm::closeUsbLink() {
    if (m_options.openUsb)
        CloseUSB();
}
