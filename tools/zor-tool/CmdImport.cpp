#include "Commands.h"

#include "device/Protocol.h"
#include "device/Scenario.h"
#include "device/SimulatedBackend.h"
#include "device/USB.h"
#include "download/Download.h"
#include "platform/Error.h"
#include "store/MainDataModuleUnit.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QThread>

// zor-tool import PROJECT [--simulate SCENARIO]
namespace zortool {

namespace {

constexpr int kExitOpenFailed = 1;
constexpr int kExitLinkFailed = 2;
constexpr int kExitNoInstrument = 3;
// The USB layer reports an instrument already plugged in shortly after the link opens.
constexpr int kAttachWaitMs = 1000;

bool parseImportArgs(QStringList args, QString& project, QString& scenario) {
    while (!args.isEmpty()) {
        const QString arg = args.takeFirst();
        if (arg == QLatin1String("--simulate") && !args.isEmpty() && scenario.isEmpty())
            scenario = args.takeFirst();
        else if (!arg.startsWith(QLatin1String("--")) && project.isEmpty())
            project = arg;
        else
            return false;
    }
    return !project.isEmpty();
}

bool waitForInstrument() {
    QElapsedTimer timer;
    timer.start();
    while (!DeviceConnected() && timer.elapsed() < kAttachWaitMs)
        QThread::msleep(10);
    return DeviceConnected();
}

// Reads the instrument and merges into the open project; returns the exit status.
int importInto(TMainDataModule& store) {
    OpenUSB(); // a link that cannot open shows as no instrument, as in the program
    if (!waitForInstrument()) {
        CloseUSB();
        printErr(QStringLiteral("Прибор не подключен!"));
        return kExitNoInstrument;
    }
    TArrayOfMsrResult results;
    const download::DownloadOutcome outcome = download::downloadAll(results);
    CloseUSB();
    if (outcome.status != 0 || !outcome.completed) {
        printErr(QStringLiteral("Ошибка связи ") +
                 QString::fromLatin1(device::statusText(outcome.status)));
        return kExitLinkFailed;
    }
    const int added = download::mergeResults(store, results);
    store.SaveChanges();
    printOut(QStringLiteral("В памяти прибора: %1").arg(results.size()));
    printOut(QStringLiteral("Добавлено в проект: %1").arg(added));
    return 0;
}

} // namespace

int cmdImport(const QStringList& args) {
    QString project, scenario;
    if (!parseImportArgs(args, project, scenario))
        return usage();
    if (!scenario.isEmpty()) {
        try {
            auto instrument =
                std::make_shared<device::SimulatedInstrument>(device::loadScenarioFile(scenario));
            device::setUsbBackendFactory(device::simulatedBackendFactory(instrument));
        } catch (const zor::Error& e) {
            printErr(e.text());
            return kExitScenario;
        }
    }
    TMainDataModule store;
    if (!store.OpenProjectDatabase(QFileInfo(project).absoluteFilePath())) {
        const QString reason = store.lastFailureReason();
        printErr(QStringLiteral("Не удалось открыть проект!") +
                 (reason.isEmpty() ? QString() : '\n' + reason));
        return kExitOpenFailed;
    }
    int status = kExitOpenFailed;
    try {
        status = importInto(store);
    } catch (const zor::Error& e) {
        // The save failed: nothing of this import is kept.
        printErr(e.text());
        try {
            store.CancelChanges();
        } catch (const zor::Error&) {
        }
    }
    store.CloseProjectDatabase();
    return status;
}

} // namespace zortool
