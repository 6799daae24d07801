// The life of the open project and the settings file.
#include "app/MainUnit.h"
#include "platform/Error.h"
#include "platform/IniProfile.h"
#include "store/MainDataModuleUnit.h"
#include "ui/MessageSeam.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTabWidget>

namespace {

const QString kOpenFailed = QStringLiteral("Не удалось открыть проект!");
const QString kCreateFailed = QStringLiteral("Не удалось создать проект!");

QString withReason(const QString& text, const QString& reason) {
    return reason.isEmpty() ? text : text + QLatin1Char('\r') + reason;
}

QString fileNamePart(const QString& path) {
    return QFileInfo(path).fileName();
}

} // namespace

void TMainForm::SetProjectName(const QString& name) {
    ProjectName = name;
    setWindowTitle(name.isEmpty() ? ui::appTitle()
                                  : ui::appTitle() + " - [" + fileNamePart(name) + "]");
}

void TMainForm::CreateProjectDir() {
    const QString folder = m_options.executableFolder + QStringLiteral("projects");
    if (!QDir(folder).exists() && !QDir().mkpath(folder))
        throw zor::Error(QDir::toNativeSeparators(folder));
    ProjectPath = folder + QLatin1Char('/');
}

void TMainForm::OpenProject(const QString& fileName) {
    if (!m_store->OpenProjectDatabase(fileName)) {
        SetProjectName(QString());
        ui::showError(this, withReason(kOpenFailed, m_store->lastFailureReason()));
        return;
    }
    SetProjectName(fileName);
    PageControl->setCurrentWidget(m_store->ResultsEmpty() ? DescriptionTabSheet : DataTabSheet);
    PageControl->setVisible(true);
}

bool TMainForm::ProjectCloseQuery() {
    if (!m_store->ProjectModified())
        return true;
    const auto answer = ui::messages().ask(
        this, ui::appTitle(), "Сохранить изменеия в проекте\r" + fileNamePart(ProjectName) + " ?",
        QMessageBox::Question, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
        QMessageBox::Yes);
    switch (answer) {
    case QMessageBox::Yes:
        m_store->SaveChanges();
        m_store->CloseProjectDatabase();
        return true;
    case QMessageBox::No:
        m_store->CancelChanges();
        m_store->CloseProjectDatabase();
        return true;
    default:
        return false;
    }
}

void TMainForm::closeShownProject() {
    PageControl->hide();
    SetProjectName(QString());
    m_store->CloseProjectDatabase();
}

// The first step of New and Open; false when the operator kept the project open.
bool TMainForm::closeCurrentProject() {
    if (!m_store->ProjectActive())
        return true;
    m_store->PostEdits();
    if (!ProjectCloseQuery())
        return false;
    closeShownProject();
    return true;
}

void TMainForm::CreateNewProjectActionExecute() {
    if (!closeCurrentProject())
        return;
    ui::FileDialogOptions o;
    o.title = "Новый проект";
    o.directory = ProjectPath;
    o.filter = "Файлы проектов (*.fdb)";
    o.defaultSuffix = "fdb";
    const QString file = ui::messages().saveFileName(this, o);
    if (file.isEmpty())
        return;
    if (QFileInfo::exists(file) && !QFile::remove(file))
        return;
    if (m_store->CreateProjectDatabase(file)) {
        OpenProject(file);
        return;
    }
    SetProjectName(QString());
    ui::showError(this, withReason(kCreateFailed, m_store->lastFailureReason()));
}

void TMainForm::OpenProjectActionExecute() {
    if (!closeCurrentProject())
        return;
    ui::FileDialogOptions o;
    o.title = "Открыть проект";
    o.directory = ProjectPath;
    o.filter = "Файлы проектов (.fdb) (*.fdb)";
    o.labelsOnly = true; // the label reads "(.fdb)", without an asterisk
    const QString file = ui::messages().openFileName(this, o);
    if (!file.isEmpty())
        OpenProject(file);
}

void TMainForm::LoadSettings() {
    const platform::IniProfile ini(m_options.settingsPath);
    SetProjectName(ini.readString("General", "LastProject"));
    ProjectPath = ini.readString("General", "ProjectPath");
    m_inkColor = static_cast<uint32_t>(ini.readInteger("DeviceScreenShot", "InkColor", 0));
    m_backgroundColor =
        static_cast<uint32_t>(ini.readInteger("DeviceScreenShot", "BackgroundColor", 16777215));
    m_loadUnit = ini.readInteger("Processing", "LoadUnit", 0);
}

void TMainForm::SaveSettings() {
    platform::IniProfile ini(m_options.settingsPath); // keeps sections and keys of others
    ini.writeString("General", "LastProject", ProjectName);
    ini.writeString("General", "ProjectPath", ProjectPath);
    ini.writeInteger("DeviceScreenShot", "InkColor", static_cast<int32_t>(m_inkColor));
    ini.writeInteger("DeviceScreenShot", "BackgroundColor",
                     static_cast<int32_t>(m_backgroundColor));
    ini.writeInteger("Processing", "LoadUnit", m_loadUnit);
    ini.save();
}
