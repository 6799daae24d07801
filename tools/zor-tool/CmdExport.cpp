#include "Commands.h"

// Placeholder until the command lands.
namespace zortool {
int cmdExportCsv(const QStringList&) {
    printErr(QStringLiteral("not available yet"));
    return 1;
}
int cmdExportPdf(const QStringList&) {
    printErr(QStringLiteral("not available yet"));
    return 1;
}
} // namespace zortool
