#include "Commands.h"

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

namespace {

// One row per command, in the order the usage lists them.
const Command kCommands[] = {
    {"create", "PROJECT", cmdCreate},
    {"check", "PROJECT", cmdCheck},
    {"list", "PROJECT [--unit U]", cmdList},
    {"import", "PROJECT [--simulate SCENARIO]", cmdImport},
    {"export-csv", "PROJECT OUT [--unit U]", cmdExportCsv},
    {"export-pdf", "PROJECT OUT [--unit U]", cmdExportPdf},
    {"screenshot", "OUT [--simulate SCENARIO] [--ink C] [--background C]", cmdScreenshot},
};

int usage() {
    QString text;
    for (const Command& c : kCommands)
        text +=
            (text.isEmpty() ? QStringLiteral("usage: ") : QStringLiteral("\n       ")) +
            QStringLiteral("zor-tool %1 %2").arg(QLatin1String(c.name), QLatin1String(c.synopsis));
    printErr(text);
    return kExitUsage;
}

int run(QStringList args) {
    if (args.isEmpty())
        return usage();
    const QString name = args.takeFirst();
    for (const Command& c : kCommands) {
        if (name != QLatin1String(c.name))
            continue;
        const std::optional<Arguments> parsed = parseArguments(c.synopsis, args);
        return parsed ? c.run(*parsed) : usage();
    }
    return usage();
}

// Qt's notes about the missing runtime folder of a display-less run are not ours to print,
// nor is Qt's own debug output; the zor.* categories pass when QT_LOGGING_RULES enables them.
void quietHandler(QtMsgType type, const QMessageLogContext& context, const QString& msg) {
    const bool ours = context.category && qstrncmp(context.category, "zor.", 4) == 0;
    if (!ours && (type == QtDebugMsg || msg.startsWith(QLatin1String("QStandardPaths:"))))
        return;
    const QString line = ours ? QLatin1String(context.category) + QLatin1String(": ") + msg : msg;
    std::fputs((line + '\n').toLocal8Bit().constData(), stderr);
}

} // namespace

} // namespace zortool

int main(int argc, char** argv) {
    qInstallMessageHandler(zortool::quietHandler);
    // Fonts and painting for the PDF and the bitmap need a GUI application, without a display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv); // also sets the process locale (Cyrillic paths)
    return zortool::run(app.arguments().mid(1));
}
