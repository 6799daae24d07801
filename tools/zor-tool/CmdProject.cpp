#include "Commands.h"

#include "platform/Error.h"
#include "store/MainDataModuleUnit.h"
#include "store/ResultDataSet.h"

#include <QFileInfo>

namespace zortool {

namespace {
// Message and reason (when the engine gave one) on standard error.
int failure(const QString& message, const QString& reason) {
    printErr(reason.isEmpty() ? message : message + '\n' + reason);
    return 1;
}

// Closing commits: a failure there is reported, not left to abort the tool.
int closeProject(TMainDataModule& store) {
    try {
        store.CloseProjectDatabase();
    } catch (const zor::Error& e) {
        printErr(e.text());
        return 1;
    }
    return 0;
}
} // namespace

int cmdCreate(const QStringList& args) {
    if (args.size() != 1)
        return usage();
    TMainDataModule store;
    const QString path = QFileInfo(args[0]).absoluteFilePath();
    if (QFileInfo::exists(path) || !store.CreateProjectDatabase(path))
        return failure(QStringLiteral("Не удалось создать проект!"), store.lastFailureReason());
    return 0;
}

int cmdCheck(const QStringList& args) {
    if (args.size() != 1)
        return usage();
    TMainDataModule store;
    if (!store.OpenProjectDatabase(QFileInfo(args[0]).absoluteFilePath()))
        return failure(QStringLiteral("Не удалось открыть проект!"), store.lastFailureReason());
    return closeProject(store);
}

bool parseUnit(QStringList& args, int32_t& unit) {
    unit = 0;
    const qsizetype at = args.indexOf(QStringLiteral("--unit"));
    if (at < 0)
        return true;
    bool ok = false;
    if (at + 1 < args.size())
        unit = args[at + 1].toInt(&ok);
    args.remove(at, std::min<qsizetype>(2, args.size() - at));
    return ok;
}

int cmdList(const QStringList& argsIn) {
    QStringList args = argsIn;
    int32_t unit;
    if (!parseUnit(args, unit) || args.size() != 1)
        return usage();
    TMainDataModule store;
    if (!store.OpenProjectDatabase(QFileInfo(args[0]).absoluteFilePath()))
        return failure(QStringLiteral("Не удалось открыть проект!"), store.lastFailureReason());
    store.SetLoadUnit(unit);
    const store::ResultDataSet& results = *store.dsetZOR();
    const int columns[] = {store::MSR_DATE, store::MSR_TIME, store::MSR_NUMBER, store::OBJECT_NAME,
                           store::LOAD};
    QString line;
    for (int row = 0; row < results.recordCount(); ++row) {
        line.clear();
        for (int c : columns) {
            if (c != store::MSR_DATE)
                line += QLatin1Char('\t');
            line += results.text(row, c);
        }
        printOut(line);
    }
    return closeProject(store);
}

} // namespace zortool
