#include "app/MainUnit.h"

#include "app/CommandIcons.h"
#include "app/GeneralErrorHandler.h"
#include "platform/ExeFolder.h"
#include "store/DescriptionDataSet.h"
#include "store/MainDataModuleUnit.h"
#include "store/ResultDataSet.h"
#include "ui/DataMemo.h"
#include "ui/FormFont.h"
#include "ui/MessageSeam.h"
#include "ui/RecordNavigator.h"
#include "ui/ResultGrid.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QMenuBar>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

TMainFormOptions TMainFormOptions::defaults() {
    return {platform::executablePath(), platform::dataFolder(), platform::settingsFilePath(), true};
}

TMainForm::TMainForm(const TMainFormOptions& options, TMainDataModule* store, QWidget* parent)
    : QMainWindow(parent), m_store(store), m_options(options) {
    setFont(ui::formFont(this));
    setWindowTitle(ui::appTitle());
    buildActions();
    buildMenu();
    buildToolBar();
    buildWorkArea();
    buildStatusBar();
    resize(720, 572);
    setMinimumSize(720, 560);
    if (QScreen* s = screen())
        move(s->availableGeometry().center() - rect().center());
    FormCreate();
}

TMainForm::~TMainForm() = default;

// Commands: caption, hint "short|long", icon (-1: none). The short part is the tooltip, the
// long part the status-line text.
QAction* TMainForm::addCommand(const QString& caption, const QString& hint, int icon) {
    auto* action = new QAction(caption, this);
    const int bar = hint.indexOf(QLatin1Char('|'));
    action->setToolTip(bar < 0 ? hint : hint.left(bar));
    action->setStatusTip(bar < 0 ? hint : hint.mid(bar + 1));
    if (icon >= 0)
        action->setIcon(app::commandIcon(app::IconIndex(icon)));
    action->setShortcutContext(Qt::WindowShortcut);
    ActionList.push_back(action);
    addAction(action); // shortcuts work whichever control has the focus
    return action;
}

void TMainForm::buildActions() {
    using namespace app;
    CreateNewProjectAction = addCommand("Создать", "Создать|Создать новый проект", IconNew);
    OpenProjectAction = addCommand("Открыть", "Открыть|Открыть проект", IconOpen);
    SaveProjectAction = addCommand("Сохранить", "Сохранить|Сохранить проект", IconSave);
    SaveProjectAsAction =
        addCommand("Сохранить как...", "Сохранить как...|Сохранить проект как...", -1);
    CloseProjectAction = addCommand("Закрыть", "Закрыть|Закрыть проект", IconClose);
    ExitApplicationAction = addCommand("Выход", "Выход|Завершение приложения", IconExit);
    DeleteAllRecordsAction =
        addCommand("Удалить всё", "Удалить всё|Удалить всё из проекта", IconDeleteAll);
    ReadFromDeviceAction =
        addCommand("Считать из прибора", "Считать|Считать из прибора", IconReadDevice);
    PrintReportAction = addCommand("Отчёт", "Создать отчёт|Создание и печать отчёта", IconReport);
    ExportAction =
        addCommand("Экспорт", "Экспортировать данные|Экспорт данных проекта", IconExport);
    CancelChangesAction = addCommand(
        "Отменить изменения", "Отменить изменения|Отменить изменения в проекте", IconCancelChanges);
    ScreenShotAction =
        addCommand("Снимок экрана", "Снимок экрана|Снимок экрана прибора", IconScreenShot);

    // The menu entries' shortcuts (New, Open, Save) and the commands' own (Save, Exit).
    CreateNewProjectAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    OpenProjectAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    SaveProjectAction->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_S), QKeySequence(Qt::CTRL | Qt::Key_R)});
    ExitApplicationAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
    SaveProjectAsAction->setVisible(false); // no handler; only a hidden menu entry uses it

    bindCommand(CreateNewProjectAction, &TMainForm::CreateNewProjectActionExecute);
    bindCommand(OpenProjectAction, &TMainForm::OpenProjectActionExecute);
    bindCommand(SaveProjectAction, &TMainForm::SaveProjectActionExecute);
    bindCommand(CloseProjectAction, &TMainForm::CloseProjectActionExecute);
    bindCommand(ExitApplicationAction, &TMainForm::ExitApplicationActionExecute);
    bindCommand(DeleteAllRecordsAction, &TMainForm::DeleteAllRecordsActionExecute);
    bindCommand(ReadFromDeviceAction, &TMainForm::ReadFromDeviceActionExecute);
    bindCommand(PrintReportAction, &TMainForm::PrintReportActionExecute);
    bindCommand(ExportAction, &TMainForm::ExportActionExecute);
    bindCommand(CancelChangesAction, &TMainForm::CancelChangesActionExecute);
    bindCommand(ScreenShotAction, &TMainForm::ScreenShotActionExecute);

    PrinterMenuItem = new QAction("Принтер...", this);
    PrinterMenuItem->setToolTip("Пинтер");
    PrinterMenuItem->setStatusTip("Настроить принтер");
    PrinterMenuItem->setVisible(false);
    AboutMenuItem = new QAction(app::commandIcon(app::IconAbout), "О программе", this);
    connect(AboutMenuItem, &QAction::triggered, this,
            [this] { app::guarded([this] { miAboutClick(); }, this); });
}

void TMainForm::buildMenu() {
    QMenuBar* bar = menuBar();
    auto addMenu = [this, bar](const QString& title, const QList<QAction*>& items) {
        QMenu* menu = bar->addMenu(title);
        for (QAction* a : items) {
            if (a)
                menu->addAction(a);
            else
                menu->addSeparator();
        }
        connect(menu, &QMenu::aboutToShow, this, &TMainForm::ActionListUpdate);
        return menu;
    };
    addMenu("Файл", {CreateNewProjectAction, OpenProjectAction, nullptr, SaveProjectAction,
                     SaveProjectAsAction, CloseProjectAction, nullptr, PrintReportAction,
                     ExportAction, PrinterMenuItem, nullptr, ExitApplicationAction});
    addMenu("Правка", {CancelChangesAction, nullptr, DeleteAllRecordsAction});
    addMenu("Связь", {ReadFromDeviceAction, ScreenShotAction});
    addMenu("Помощь", {AboutMenuItem});
}

void TMainForm::buildToolBar() {
    ToolBar = new QToolBar(this);
    ToolBar->setObjectName("ToolBar");
    ToolBar->setMovable(false);
    ToolBar->setFloatable(false);
    ToolBar->setIconSize(QSize(16, 16));
    ToolBar->setFixedHeight(35);
    ToolBar->setContentsMargins(2, 2, 2, 2);
    ToolBar->setContextMenuPolicy(Qt::PreventContextMenu);
    addToolBar(Qt::TopToolBarArea, ToolBar);
    for (QAction* a : {CreateNewProjectAction, OpenProjectAction, (QAction*)nullptr,
                       SaveProjectAction, CloseProjectAction, (QAction*)nullptr,
                       CancelChangesAction, DeleteAllRecordsAction, (QAction*)nullptr,
                       ReadFromDeviceAction, PrintReportAction, ExportAction, (QAction*)nullptr}) {
        if (!a) {
            ToolBar->addSeparator();
            continue;
        }
        ToolBar->addAction(a);
        if (auto* b = qobject_cast<QToolButton*>(ToolBar->widgetForAction(a))) {
            b->setFixedSize(23, 22);
            b->setAutoRaise(true);
        }
    }
    cboxLoadUnit = new QComboBox(ToolBar);
    cboxLoadUnit->addItems({"кгс", "Н"});
    cboxLoadUnit->setEditable(false);
    cboxLoadUnit->setFixedWidth(63);
    cboxLoadUnit->setStatusTip("Единицы измерения усилия"); // empty short part: no tooltip
    ToolBar->addWidget(cboxLoadUnit);
    connect(cboxLoadUnit, &QComboBox::activated, this,
            [this](int index) { app::guarded([&] { cboxLoadUnitChange(index); }, this); });
}

void TMainForm::buildWorkArea() {
    auto* area = new QWidget(this);
    auto* layout = new QGridLayout(area);
    layout->setContentsMargins(0, 0, 0, 0);
    MainBevel = new QFrame(area);
    MainBevel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    PageControl = new QTabWidget(area);
    DescriptionDBMemo = new ui::DataMemo;
    DescriptionDBMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    DescriptionTabSheet = DescriptionDBMemo;
    PageControl->addTab(DescriptionTabSheet, "Описание");
    DataTabSheet = buildDataPage();
    PageControl->addTab(DataTabSheet, "Данные");
    layout->addWidget(MainBevel, 0, 0);
    layout->addWidget(PageControl, 0, 0); // lies on top of the bevel while visible
    PageControl->hide();
    setCentralWidget(area);
}

QWidget* TMainForm::buildDataPage() {
    auto* gridPanel = new QWidget;
    auto* layout = new QVBoxLayout(gridPanel);
    layout->setContentsMargins(0, 0, 0, 0);
    Splitter1 = new QSplitter(Qt::Vertical, gridPanel);
    Splitter1->setHandleWidth(10);
    Splitter1->setChildrenCollapsible(false);
    MainDBGrid = new ui::ResultGrid(Splitter1);
    CommentPanel = buildCommentPanel();
    Splitter1->addWidget(MainDBGrid);
    Splitter1->addWidget(CommentPanel);
    Splitter1->setStretchFactor(0, 1);
    Splitter1->setStretchFactor(1, 0);
    Splitter1->setSizes({400, 80});
    layout->addWidget(Splitter1);
    return gridPanel;
}

QWidget* TMainForm::buildCommentPanel() {
    auto* panel = new QWidget;
    panel->setMinimumHeight(40);
    auto* layout = new QGridLayout(panel);
    layout->setContentsMargins(0, 2, 0, 0);
    layout->setVerticalSpacing(2);
    CommentLabel = new QLabel("Комментарий:", panel);
    ResultDBNavigator = new ui::RecordNavigator(panel);
    CommentDBMemo = new ui::DataMemo(panel);
    layout->addWidget(CommentLabel, 0, 0, Qt::AlignLeft | Qt::AlignBottom);
    layout->addWidget(ResultDBNavigator, 0, 1, Qt::AlignRight);
    layout->addWidget(CommentDBMemo, 1, 0, 1, 2);
    layout->setRowStretch(1, 1);
    return panel;
}

void TMainForm::buildStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setFixedHeight(19);
    for (int width : {350, 125, 150}) {
        auto* panel = new QLabel(bar);
        panel->setFixedWidth(width);
        if (!StatusPanels.empty())
            panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        bar->addWidget(panel);
        StatusPanels.push_back(panel);
    }
}

// The hint line: status tips of the controls and menu entries under the pointer.
bool TMainForm::event(QEvent* event) {
    if (event->type() == QEvent::StatusTip) {
        ApplicationEventsHint(static_cast<QStatusTipEvent*>(event)->tip());
        return true;
    }
    return QMainWindow::event(event);
}

// A shortcut is matched against the commands' enabled state: bring it up to date first, so a
// shortcut runs exactly when its command is enabled now. Input also marks an idle moment.
bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::ShortcutOverride:
        if (auto* w = qobject_cast<QWidget*>(watched); w && w->window() == this)
            ActionListUpdate();
        break;
    case QEvent::KeyRelease:
    case QEvent::MouseButtonRelease:
        scheduleUpdate();
        break;
    default:
        break;
    }
    return QMainWindow::eventFilter(watched, event);
}

void TMainForm::ApplicationEventsHint(const QString& hint) {
    StatusPanels.front()->setText(hint);
}

void TMainForm::bindStore() {
    MainDBGrid->setDataset(m_store->dsetZOR());
    ResultDBNavigator->bind(m_store->dsetZOR());
    CommentDBMemo->bind(m_store->dsetZOR(), store::MSR_COMMENT);
    DescriptionDBMemo->bind(m_store->DescriptionDataSet(), store::PROJECT_DESC);
    connect(CommentDBMemo, &ui::DataMemo::exited, this,
            [this] { app::guarded([this] { CommentDBMemoExit(); }, this); });
    connect(DescriptionDBMemo, &ui::DataMemo::exited, this,
            [this] { app::guarded([this] { DescriptionDBMemoExit(); }, this); });
    for (store::CachedDataset* ds :
         {static_cast<store::CachedDataset*>(m_store->dsetZOR()),
          static_cast<store::CachedDataset*>(m_store->DescriptionDataSet())}) {
        connect(ds, &store::CachedDataset::stateChanged, this, &TMainForm::scheduleUpdate);
        connect(ds, &store::CachedDataset::dataReset, this, &TMainForm::scheduleUpdate);
        connect(ds, &store::CachedDataset::currentRowChanged, this, &TMainForm::scheduleUpdate);
    }
}

// Enabling runs at idle moments: after every change of the datasets (coalesced into one run
// when the event loop is next idle), and on a slow pulse for anything else.
void TMainForm::scheduleUpdate() {
    if (!m_idleTimer->isActive())
        m_idleTimer->start();
}

void TMainForm::FormCreate() {
    m_idleTimer = new QTimer(this);
    m_idleTimer->setSingleShot(true);
    m_idleTimer->setInterval(0);
    connect(m_idleTimer, &QTimer::timeout, this, &TMainForm::ActionListUpdate);
    m_pulseTimer = new QTimer(this);
    m_pulseTimer->setInterval(250);
    connect(m_pulseTimer, &QTimer::timeout, this, &TMainForm::ActionListUpdate);

    if (!m_store)
        m_store = new TMainDataModule(QCoreApplication::instance());
    bindStore();
    LoadSettings();
    m_store->SetLoadUnit(m_loadUnit);
    cboxLoadUnit->setCurrentIndex(m_loadUnit == 0 ? 0 : 1);
    m_actionsSuspended = false;
    ActionListUpdate();
    m_pulseTimer->start();
    qApp->installEventFilter(this);
    // A projects folder that cannot be made is reported; start-up goes on without it.
    if (ProjectPath.isEmpty())
        app::guarded([this] { CreateProjectDir(); }, this);
    if (!ProjectName.isEmpty() && QFileInfo(ProjectName).isFile())
        OpenProject(ProjectName);
    else
        SetProjectName(QString());
    ActionListUpdate();
    if (m_options.openUsb)
        openUsbLink();
}

void TMainForm::closeEvent(QCloseEvent* event) {
    if (m_closed) {
        event->accept();
        return;
    }
    bool canClose = false;
    app::guarded([&] { canClose = FormCloseQuery(); }, this);
    if (!canClose) {
        event->ignore();
        return;
    }
    FormClose();
    m_closed = true;
    event->accept();
}

bool TMainForm::FormCloseQuery() {
    if (!m_store->ProjectActive())
        return true;
    m_store->PostEdits();
    return ProjectCloseQuery();
}

// A settings file that cannot be written is reported, and the window closes all the same:
// refusing to close would trap the operator in the same error at every attempt.
void TMainForm::FormClose() {
    app::guarded([this] { SaveSettings(); }, this);
    closeUsbLink();
}
