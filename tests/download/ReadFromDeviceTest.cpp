#include "download/ReadFromDevice.h"
#include "device/SimulatedBackend.h"
#include "device/USB.h"
#include "download/DownloadThread.h"
#include "download/DownloadUnit.h"
#include "platform/Error.h"
#include "store/MainDataModuleUnit.h"
#include "store/ResultDataSet.h"
#include "ui/ScriptedMessages.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>

using namespace device;

namespace {

QApplication& app() {
    static int argc = 1;
    static char arg0[] = "zor_download_ui_test";
    static char* argv[] = {arg0, nullptr};
    static QApplication* instance = new QApplication(argc, argv);
    return *instance;
}

// Acts on modal dialogs as they come up, as the operator would.
class Operator {
public:
    // Called with each dialog the first time it is the active modal widget.
    std::function<void(QWidget*)> onDialog;
    Operator() {
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            QWidget* w = QApplication::activeModalWidget();
            if (w && w != m_last) {
                m_last = w;
                if (onDialog)
                    onDialog(w);
            }
            if (auto* summary = qobject_cast<TDownloadSummaryForm*>(w)) {
                summaries.push_back({summary->ResultsInDeviceMemoryLabel->text(),
                                     summary->ResultsAddedToProjectLabel->text()});
                summary->CloseButton->click();
            }
        });
        m_timer.start(5);
    }
    std::vector<std::pair<QString, QString>> summaries;

private:
    QTimer m_timer;
    QPointer<QWidget>
        m_last; // cleared when that dialog is deleted: a new one may reuse its address
};

class ReadFromDeviceCommand : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        const QString path = dir.filePath("project.fdb");
        ASSERT_TRUE(store.CreateProjectDatabase(path)) << store.lastFailureReason().toStdString();
        ASSERT_TRUE(store.OpenProjectDatabase(path)) << store.lastFailureReason().toStdString();
    }
    void TearDown() override {
        CloseUSB();
        store.CloseProjectDatabase();
    }
    void connect(const QByteArray& scenario) {
        instrument = std::make_shared<SimulatedInstrument>(parseScenario(scenario));
        ASSERT_EQ(openSimulatedLink(instrument), 0u);
    }
    void run() { ReadFromDeviceActionExecute(nullptr, store, nullptr); }
    std::vector<int> numbers() const {
        std::vector<int> n;
        for (int row = 0; row < store.dsetZOR()->recordCount(); ++row)
            n.push_back(store.dsetZOR()->value(row, store::MSR_NUMBER).toInt());
        return n;
    }

    QApplication& application = app(); // first: the operator's timer needs the event loop
    QTemporaryDir dir;
    TMainDataModule store;
    std::shared_ptr<SimulatedInstrument> instrument;
    ui::ScriptedMessages messages;
    Operator op;
};

constexpr const char* kThreeResults = R"({"records": [
    {"date": "2026-03-02 10:00:00", "number": 9},
    {"day": 30, "month": 2, "year": 26, "number": 5},
    {"day": 31, "month": 4, "year": 26, "number": 5},
    {"date": "2026-03-01 10:00:00", "number": 9}]})";

} // namespace

TEST_F(ReadFromDeviceCommand, AddsWhatTheProjectLacksSortedAndReportsTheCounts) {
    connect(kThreeResults);
    run();
    // Both invalid dates become 2000-01-01 01:00, number 5: the second is a duplicate.
    EXPECT_EQ(op.summaries, (std::vector<std::pair<QString, QString>>{{"4", "3"}}));
    EXPECT_EQ(numbers(), (std::vector<int>{5, 9, 9}));
    EXPECT_TRUE(store.ProjectModified());
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_FALSE(store.dsetZOR()->controlsDisabled()) << "update bracket closed";

    run(); // everything is held now
    EXPECT_EQ(op.summaries.back(), (std::pair<QString, QString>{"4", "0"}));
    EXPECT_EQ(numbers().size(), 3u);
}

TEST_F(ReadFromDeviceCommand, NoResultsStoredShowsZeroAndZero) {
    connect("{}");
    run();
    EXPECT_EQ(op.summaries, (std::vector<std::pair<QString, QString>>{{"0", "0"}}));
    EXPECT_FALSE(store.ProjectModified());
}

TEST_F(ReadFromDeviceCommand, FailuresAreReportedAndLeaveTheProjectAlone) {
    struct Case {
        const char* scenario;
        const char* message;
        std::vector<uint32_t> commands;
    };
    const Case cases[] = {
        {R"({"attached": false})", "Прибор не подключен!", {}},
        {R"({"model": "ZOR-2.0", "record_count": 3})", "Ошибка связи 70000001", {1, 2}},
        {R"({"record_count": 3, "unplug_before": {"command": 4, "occurrence": 2}})",
         "Ошибка связи 40000004",
         {1, 2, 3, 4}},
        {R"({"record_count": 3, "fail": [{"command": 4, "occurrence": 3, "status": "0x40000007"}]})",
         "Ошибка связи 40000007",
         {1, 2, 3, 4, 4, 4}},
    };
    for (const Case& c : cases) {
        messages.clear();
        connect(c.scenario);
        run();
        ASSERT_EQ(messages.shown.size(), 1u) << c.scenario;
        EXPECT_EQ(messages.shown[0].caption, QStringLiteral("ЗОР-1.0"));
        EXPECT_EQ(messages.shown[0].icon, QMessageBox::Critical);
        EXPECT_EQ(messages.shown[0].text, QString::fromUtf8(c.message));
        EXPECT_EQ(instrument->commands(), c.commands) << c.scenario;
        EXPECT_TRUE(op.summaries.empty());
        EXPECT_FALSE(store.ProjectModified());
        CloseUSB();
    }
}

TEST_F(ReadFromDeviceCommand, CancelDuringTheReadOutShowsAndAddsNothing) {
    // The Cancel button, and a close request from the window system, which must stop the
    // worker the same way.
    const std::pair<const char*, std::function<void(TDownloadForm*)>> ways[] = {
        {"Cancel button", [](TDownloadForm* form) { form->CancelButton->click(); }},
        {"window closed", [](TDownloadForm* form) { form->close(); }},
    };
    for (const auto& [way, cancel] : ways) {
        SCOPED_TRACE(way);
        connect(R"({"record_count": 200, "reply_delay_ms": 20})");
        int gaugeWhenCancelled = -1;
        op.onDialog = [&](QWidget* w) {
            if (auto* form = qobject_cast<TDownloadForm*>(w))
                QTimer::singleShot(150, form, [form, &gaugeWhenCancelled, &cancel] {
                    gaugeWhenCancelled = form->DownloadGauge->value();
                    cancel(form);
                });
        };
        QElapsedTimer timer;
        timer.start();
        run();
        EXPECT_LT(timer.elapsed(), 1500) << "the worker stopped after its current command";
        EXPECT_GT(gaugeWhenCancelled, 0);
        EXPECT_TRUE(messages.shown.empty());
        EXPECT_TRUE(op.summaries.empty());
        EXPECT_FALSE(store.ProjectModified());
        EXPECT_LT(instrument->commands().size(), 100u);
        CloseUSB();
    }
}

namespace {
// A store whose AddResult fails: the update bracket must still be closed.
struct FailingStore {
    std::vector<std::string> calls;
    void BeginUpdate() { calls.push_back("begin"); }
    void EndUpdate() { calls.push_back("end"); }
    bool AddResult(const TMsrResult&) {
        throw zor::Error("disk full");
        return false;
    }
    void SortResults() { calls.push_back("sort"); }
};
} // namespace

TEST_F(ReadFromDeviceCommand, AStoreErrorDuringTheMergeClosesTheBracketAndPropagates) {
    connect(kThreeResults);
    FailingStore failing;
    EXPECT_THROW(download::readFromDevice(nullptr, failing, nullptr), zor::Error);
    EXPECT_EQ(failing.calls, (std::vector<std::string>{"begin", "end"}));
    EXPECT_TRUE(op.summaries.empty());
}

TEST(DownloadDialogs, ProgressFollowsTheWorkersMessagesAndOnlyItsEndOrCancelCloseIt) {
    app();
    TDownloadForm form;
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Чтение из прибора"));
    EXPECT_EQ(form.CancelButton->text(), QStringLiteral("Отмена"));
    EXPECT_EQ(form.DownloadGauge->value(), 0);
    QTimer::singleShot(0, &form, [&] {
        QCoreApplication::postEvent(&form, new DownloadNotifyEvent(42));
        QCoreApplication::postEvent(&form, new DownloadNotifyEvent(100));
        QCoreApplication::postEvent(&form, new DownloadNotifyEvent(7, kWmUser + 1)); // not ours
        QTimer::singleShot(20, &form, [&] {
            EXPECT_EQ(form.DownloadGauge->value(), 100);
            QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QApplication::sendEvent(&form, &esc);
            EXPECT_TRUE(form.isVisible()) << "Esc does not cancel";
            QCoreApplication::postEvent(&form, new DownloadNotifyEvent(kDownloadFinished));
        });
    });
    EXPECT_EQ(form.exec(), kModalResultCancel);

    TDownloadSummaryForm summary;
    EXPECT_EQ(summary.windowTitle(), QStringLiteral("Результаты чтения"));
    EXPECT_EQ(summary.ResultsInDeviceMemoryLabel->text(), "0");
    summary.setResultsInDeviceMemory(250);
    summary.setResultsAddedToProject(17);
    EXPECT_EQ(summary.ResultsInDeviceMemory(), 250);
    EXPECT_EQ(summary.ResultsInDeviceMemoryLabel->text(), "250");
    EXPECT_EQ(summary.ResultsAddedToProjectLabel->text(), "17");
    EXPECT_EQ(summary.CloseButton->text(), QStringLiteral("Закрыть"));
    QTimer::singleShot(0, &summary, [&] {
        QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(&summary, &esc);
    });
    EXPECT_EQ(summary.exec(), kModalResultOk);
}
