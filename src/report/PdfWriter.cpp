#include "PdfWriter.h"

#include "PageRenderer.h"
#include "ReportLog.h"
#include "platform/Error.h"
#include "platform/Product.h"

#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QPdfWriter>

namespace report {

void writePdf(const PreparedReport& report, const QString& fileName) {
    const LogTimer t;
    // QPdfWriter does not report an unwritable file: try it first for a clear message.
    QFile probe(fileName);
    if (!probe.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw zor::Error(QStringLiteral("Cannot create file \"%1\". %2")
                             .arg(QFileInfo(fileName).absoluteFilePath(), probe.errorString()));
    probe.close();

    QPdfWriter writer(fileName);
    writer.setResolution(600);
    writer.setPageLayout(paperLayout());
    writer.setCreator(platform::appTitle());
    QPainter painter(&writer);
    const double s = pixelsPerUnit(writer);
    for (int i = 0; i < int(report.pages.size()); ++i) {
        if (i > 0)
            writer.newPage();
        renderPage(painter, report, i, s);
    }
    painter.end();
    qCDebug(lcReport) << "PDF written:" << fileName << report.pages.size() << "pages in" << t.ms()
                      << "ms";
}

} // namespace report
