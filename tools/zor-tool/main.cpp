#include "Commands.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <cstdio>

namespace zortool {

void printOut(const QString& line) {
    std::fputs((line + '\n').toUtf8().constData(), stdout);
    std::fflush(stdout);
}

void printErr(const QString& line) {
    std::fputs((line + '\n').toUtf8().constData(), stderr);
    std::fflush(stderr);
}

int usage() {
    printErr(QStringLiteral(
        "usage: zor-tool create PROJECT\n"
        "       zor-tool check PROJECT\n"
        "       zor-tool list PROJECT [--unit U]\n"
        "       zor-tool import PROJECT [--simulate SCENARIO]\n"
        "       zor-tool export-csv PROJECT OUT [--unit U]\n"
        "       zor-tool export-pdf PROJECT OUT [--unit U]\n"
        "       zor-tool screenshot OUT [--simulate SCENARIO] [--ink C] [--background C]"));
    return kExitUsage;
}

} // namespace zortool

namespace {
// Qt's notes about the missing runtime folder of a display-less run are not ours to print.
void quietHandler(QtMsgType type, const QMessageLogContext&, const QString& msg) {
    if (type == QtDebugMsg || msg.startsWith(QLatin1String("QStandardPaths:")))
        return;
    std::fputs((msg + '\n').toLocal8Bit().constData(), stderr);
}
} // namespace

int main(int argc, char** argv) {
    qInstallMessageHandler(quietHandler);
    // Fonts and painting for the PDF and the bitmap need a GUI application, without a display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv); // also sets the process locale (Cyrillic paths)
    QStringList args = app.arguments().mid(1);
    if (args.isEmpty())
        return zortool::usage();
    const QString cmd = args.takeFirst();
    using namespace zortool;
    if (cmd == "create")
        return cmdCreate(args);
    if (cmd == "check")
        return cmdCheck(args);
    if (cmd == "list")
        return cmdList(args);
    if (cmd == "import")
        return cmdImport(args);
    if (cmd == "export-csv")
        return cmdExportCsv(args);
    if (cmd == "export-pdf")
        return cmdExportPdf(args);
    if (cmd == "screenshot")
        return cmdScreenshot(args);
    return usage();
}
