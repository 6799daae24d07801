#include "Commands.h"

// Placeholder until the command lands.
namespace zortool {
int cmdImport(const QStringList&) {
    printErr(QStringLiteral("not available yet"));
    return 1;
}
} // namespace zortool
