#include "Commands.h"

#include "platform/Error.h"
#include "store/MainDataModuleUnit.h"
#include "store/ResultDataSet.h"

#include <QFileInfo>

namespace zortool {

namespace {
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

int cmdCreate(const Arguments& args) {
    TMainDataModule store;
    const QString path = QFileInfo(args.required[0]).absoluteFilePath();
    if (QFileInfo::exists(path) || !store.CreateProjectDatabase(path)) {
        const QString reason = store.lastFailureReason();
        printErr(QStringLiteral("Не удалось создать проект!") +
                 (reason.isEmpty() ? QString() : '\n' + reason));
        return 1;
    }
    return 0;
}

int cmdCheck(const Arguments& args) {
    TMainDataModule store;
    if (!openProject(store, args.required[0]))
        return 1;
    return closeProject(store);
}

int cmdList(const Arguments& args) {
    TMainDataModule store;
    if (!openProject(store, args.required[0]))
        return 1;
    store.SetLoadUnit(args.unit);
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
