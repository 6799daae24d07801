#include "Commands.h"

namespace zortool {
int cmdCreate(const QStringList&) {
    return 1;
}
int cmdCheck(const QStringList&) {
    return 1;
}
int cmdList(const QStringList&) {
    return 1;
}
} // namespace zortool
