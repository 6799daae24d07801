#include "PageRenderer.h"

#include "ReportUnits.h"
#include "TextMeasure.h"

#include <QPaintDevice>
#include <QPainter>
#include <QPen>

namespace report {

double pixelsPerUnit(const QPaintDevice& device) {
    return device.logicalDpiX() / kUnitsPerInch;
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
    painter.setRenderHint(QPainter::Antialiasing, false);
    for (const PlacedBand& pb : pg.bands)
        for (const LineItem& l : report.bands[pb.band].lines)
            drawLine(painter, l, pb.top, s);

    std::vector<QFont> fonts;
    for (const FontSpec& f : report.fonts)
        fonts.push_back(reportFont(f, s));
    painter.setPen(Qt::black);
    int current = -1;
    for (const PreparedText& t : pg.texts) {
        if (t.font != current) {
            painter.setFont(fonts[t.font]);
            current = t.font;
        }
        int flags = Qt::AlignTop | Qt::TextSingleLine | Qt::TextDontClip;
        flags |= t.align == CellAlign::Right    ? Qt::AlignRight
                 : t.align == CellAlign::Center ? Qt::AlignHCenter
                                                : Qt::AlignLeft;
        const QRectF box(t.x * s, (t.y + kLineSpacing / 2) * s, t.width * s, t.height * s);
        painter.drawText(box, flags, t.text);
    }
    painter.restore();
}

} // namespace report
