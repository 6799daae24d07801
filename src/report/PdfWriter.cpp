#include "PdfWriter.h"

#include "PageRenderer.h"
#include "platform/Error.h"

#include <QFile>
#include <QFileInfo>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>

namespace report {

void writePdf(const PreparedReport& report, const QString& fileName) {
    // QPdfWriter does not report an unwritable file: try it first for a clear message.
    QFile probe(fileName);
    if (!probe.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw zor::Error(QStringLiteral("Cannot create file \"%1\". %2")
                             .arg(QFileInfo(fileName).absoluteFilePath(), probe.errorString()));
    probe.close();

    QPdfWriter writer(fileName);
    writer.setResolution(600);
    writer.setPageLayout(
        QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
    writer.setCreator(QStringLiteral("ЗОР-1.0"));
    QPainter painter(&writer);
    const double s = pixelsPerUnit(writer);
    for (int i = 0; i < int(report.pages.size()); ++i) {
        if (i > 0)
            writer.newPage();
        renderPage(painter, report, i, s);
    }
    painter.end();
}

} // namespace report
