#include "PageRenderer.h"

#include "ReportUnits.h"
#include "TextMeasure.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>
#include <QPen>
#include <cmath>

namespace report {

double pixelsPerUnit(const QPaintDevice& device) {
    return device.logicalDpiX() / kUnitsPerInch;
}

QPageLayout paperLayout() {
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0));
}

namespace {

void drawLine(QPainter& p, const LineItem& l, double top, double s) {
    QPen pen(Qt::black);
    pen.setWidthF(std::max(1.0, l.width * s));
    pen.setCapStyle(Qt::FlatCap);
    p.setPen(pen);
    const QPointF a(l.x * s, (top + l.y) * s);
    const QPointF b = l.horizontal ? a + QPointF(l.length * s, 0) : a + QPointF(0, l.length * s);
    p.drawLine(a, b);
    if (l.doubleLine) {
        const QPointF gap =
            l.horizontal ? QPointF(0, 2 * l.width * s) : QPointF(2 * l.width * s, 0);
        p.drawLine(a + gap, b + gap);
    }
}

} // namespace

void renderPage(QPainter& painter, const PreparedReport& report, int page, double s) {
    if (page < 0 || page >= int(report.pages.size()))
        return;
    const PreparedPage& pg = report.pages[page];
    painter.save();
    // Crisp rules; the text keeps the caller's antialiasing, since without it some glyphs
    // come out of the font's hinting for monochrome output quite misshapen.
    painter.setRenderHint(QPainter::Antialiasing, false);
    for (const PlacedBand& pb : pg.bands)
        for (const LineItem& l : report.bands[pb.band].lines)
            drawLine(painter, l, pb.top, s);
    painter.restore();
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true); // glyphs drawn as outlines

    std::vector<QFont> fonts;
    std::vector<QFontMetricsF> metrics;
    for (const FontSpec& f : report.fonts) {
        fonts.push_back(reportFont(f, s));
        metrics.emplace_back(fonts.back(), painter.device());
    }
    painter.setPen(Qt::black);
    int current = -1;
    for (const PreparedText& t : pg.texts) {
        if (t.font != current) {
            painter.setFont(fonts[t.font]);
            current = t.font;
        }
        // Placed at its baseline: the rectangle form of drawText renders some glyphs of this
        // face misshapen at screen sizes.
        const QFontMetricsF& m = metrics[t.font];
        double x = t.x * s;
        if (t.align != CellAlign::Left) {
            const double free = t.width * s - m.horizontalAdvance(t.text);
            x += t.align == CellAlign::Right ? free : free / 2;
        }
        painter.drawText(QPointF(x, (t.y + kLineSpacing / 2) * s + m.ascent()), t.text);
    }
    painter.restore();
}

} // namespace report
