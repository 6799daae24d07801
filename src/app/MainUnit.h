#pragma once
#include <QMainWindow>
#include <QString>
#include <cstdint>
#include <vector>

class QAction;
class QComboBox;
class QFrame;
class QLabel;
class QMenu;
class QSplitter;
class QTabWidget;
class QTimer;
class QToolBar;
class TMainDataModule;

namespace ui {
class DataMemo;
class RecordNavigator;
class ResultGrid;
} // namespace ui

// Where the main window finds its surroundings. The defaults are the program's own folder;
// tests point them at a temporary folder.
struct TMainFormOptions {
    QString executablePath;   // the About box reads the version from this file
    QString executableFolder; // ends in '/': the projects folder is created here
    QString settingsPath;     // the settings file
    bool openUsb = true;      // tests run without the USB link

    static TMainFormOptions defaults();
};

// The main window: its commands and their enabling, the settings file and the life of the
// open project.
class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    // The project store is created owned by the application object unless one is given.
    explicit TMainForm(const TMainFormOptions& options = TMainFormOptions::defaults(),
                       TMainDataModule* store = nullptr, QWidget* parent = nullptr);
    ~TMainForm() override;

    QString GetProjectPath() const { return ProjectPath; }
    QString GetProjectName() const { return ProjectName; }
    void SetProjectName(const QString& name);
    void CreateProjectDir();
    void OpenProject(const QString& fileName);
    bool ProjectCloseQuery();
    void ActionListUpdate();

    TMainDataModule& store() const { return *m_store; }
    int32_t loadUnit() const { return m_loadUnit; }
    uint32_t inkColor() const { return m_inkColor; }
    uint32_t backgroundColor() const { return m_backgroundColor; }

    // Commands, in the order of the command list.
    QAction* CreateNewProjectAction = nullptr;
    QAction* OpenProjectAction = nullptr;
    QAction* SaveProjectAction = nullptr;
    QAction* SaveProjectAsAction = nullptr;
    QAction* CloseProjectAction = nullptr;
    QAction* ExitApplicationAction = nullptr;
    QAction* DeleteAllRecordsAction = nullptr;
    QAction* ReadFromDeviceAction = nullptr;
    QAction* PrintReportAction = nullptr;
    QAction* ExportAction = nullptr;
    QAction* CancelChangesAction = nullptr;
    QAction* ScreenShotAction = nullptr;
    std::vector<QAction*> ActionList;

    // Menu entries without a command of their own.
    QAction* PrinterMenuItem = nullptr;
    QAction* AboutMenuItem = nullptr;

    // Controls.
    QToolBar* ToolBar = nullptr;
    QComboBox* cboxLoadUnit = nullptr;
    QFrame* MainBevel = nullptr;
    QTabWidget* PageControl = nullptr;
    QWidget* DescriptionTabSheet = nullptr;
    QWidget* DataTabSheet = nullptr;
    ui::DataMemo* DescriptionDBMemo = nullptr;
    ui::ResultGrid* MainDBGrid = nullptr;
    QSplitter* Splitter1 = nullptr;
    QWidget* CommentPanel = nullptr;
    QLabel* CommentLabel = nullptr;
    ui::RecordNavigator* ResultDBNavigator = nullptr;
    ui::DataMemo* CommentDBMemo = nullptr;
    std::vector<QLabel*> StatusPanels;

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // Window construction (MainUnit.cpp).
    void buildActions();
    QAction* addCommand(const QString& caption, const QString& hint, int icon);
    void buildMenu();
    void buildToolBar();
    void buildWorkArea();
    QWidget* buildDataPage();
    QWidget* buildCommentPanel();
    void buildStatusBar();
    void bindStore();
    void FormCreate();
    bool FormCloseQuery();
    void FormClose();
    void ApplicationEventsHint(const QString& hint);
    void scheduleUpdate();
    void openUsbLink();
    void closeUsbLink();

    // Commands (MainUnitCommands.cpp).
    using Handler = void (TMainForm::*)();
    void bindCommand(QAction* action, Handler handler);
    void runCommand(QAction* action, Handler handler);
    void CreateNewProjectActionExecute();
    void OpenProjectActionExecute();
    void SaveProjectActionExecute();
    void CloseProjectActionExecute();
    void ExitApplicationActionExecute();
    void DeleteAllRecordsActionExecute();
    void ReadFromDeviceActionExecute();
    void PrintReportActionExecute();
    void ExportActionExecute();
    void CancelChangesActionExecute();
    void ScreenShotActionExecute();
    void miAboutClick();
    void cboxLoadUnitChange(int index);
    void CommentDBMemoExit();
    void DescriptionDBMemoExit();

    // Project lifecycle and settings (MainUnitProject.cpp).
    bool closeCurrentProject();
    void closeShownProject();
    void LoadSettings();
    void SaveSettings();

    // State, in the order the program has always kept it.
    QString ProjectName;
    QString ProjectPath;
    uint32_t m_inkColor = 0;
    uint32_t m_backgroundColor = 0x00FFFFFF;
    int32_t m_loadUnit = 0;
    TMainDataModule* m_store = nullptr;

    TMainFormOptions m_options;
    bool m_actionsSuspended = true; // the command list is inert until creation resumes it
    bool m_closed = false;
    QTimer* m_idleTimer = nullptr;
    QTimer* m_pulseTimer = nullptr;
};
