#pragma once
#include "PreparedReport.h"

#include <QPageLayout>

class QPainter;
class QPaintDevice;

// Draws prepared pages with QPainter: the preview, the printer and the PDF file share it.
namespace report {

// Draws one page with its top left at the painter's origin, `pixelsPerUnit` device pixels
// to a report unit. The page background is not filled.
void renderPage(QPainter& painter, const PreparedReport& report, int page, double pixelsPerUnit);

// Device pixels per report unit for a device's resolution.
double pixelsPerUnit(const QPaintDevice& device);

// The paper of the printer and the PDF file: A4 portrait with no margins, since positions are
// measured from the paper's edges (kPageWidth x kPageHeight report units).
QPageLayout paperLayout();

} // namespace report
