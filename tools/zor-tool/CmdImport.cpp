#include "Commands.h"

#include "device/Protocol.h"
#include "device/USB.h"
#include "download/Download.h"
#include "platform/Error.h"
#include "store/MainDataModuleUnit.h"

#include <QElapsedTimer>
#include <QThread>

// zor-tool import PROJECT [--simulate SCENARIO]
namespace zortool {

namespace {

constexpr int kExitOpenFailed = 1;
constexpr int kExitLinkFailed = 2;
constexpr int kExitNoInstrument = 3;
// The USB layer reports an instrument already plugged in shortly after the link opens.
constexpr int kAttachWaitMs = 1000;

bool waitForInstrument() {
    QElapsedTimer timer;
    timer.start();
    while (!DeviceConnected() && timer.elapsed() < kAttachWaitMs)
        QThread::msleep(10);
    return DeviceConnected();
}

// Reads the instrument and merges into the open project; returns the exit status.
int importInto(TMainDataModule& store, std::unique_ptr<device::UsbBackend> instrument) {
    // A link that cannot open shows as no instrument, as in the program.
    device::programLink().open(std::move(instrument));
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

int cmdImport(const Arguments& args) {
    std::optional<std::unique_ptr<device::UsbBackend>> instrument = instrumentBackend(args);
    if (!instrument)
        return kExitScenario;
    TMainDataModule store;
    if (!openProject(store, args.required[0]))
        return kExitOpenFailed;
    int status = kExitOpenFailed;
    try {
        status = importInto(store, std::move(*instrument));
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
