#include "app/CommandIcons.h"

#include "ui/IconArt.h"

#include <QPainter>
#include <QPainterPath>

namespace app {
namespace {

const QColor kOutline(0x40, 0x40, 0x40);
const QColor kRed(0xd0, 0x20, 0x20);

void page(QPainter& p) {
    p.setPen(QPen(kOutline, 1));
    p.setBrush(Qt::white);
    p.drawPolygon(QPolygonF({QPointF(3.5, 1.5), QPointF(10, 1.5), QPointF(12.5, 4),
                             QPointF(12.5, 14.5), QPointF(3.5, 14.5)}));
    p.drawPolyline(QPolygonF({QPointF(10, 1.5), QPointF(10, 4), QPointF(12.5, 4)}));
}

void cross(QPainter& p, QRectF r, qreal width) {
    p.setPen(QPen(kRed, width, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(r.topLeft(), r.bottomRight());
    p.drawLine(r.topRight(), r.bottomLeft());
}

void folder(QPainter& p) {
    p.setPen(QPen(QColor(0x80, 0x60, 0x10), 1));
    p.setBrush(QColor(0xe8, 0xc0, 0x40));
    p.drawPolygon(QPolygonF({QPointF(1.5, 3.5), QPointF(6, 3.5), QPointF(7.5, 5), QPointF(13.5, 5),
                             QPointF(13.5, 13.5), QPointF(1.5, 13.5)}));
    p.setBrush(QColor(0xf8, 0xdc, 0x70));
    p.drawPolygon(
        QPolygonF({QPointF(4, 7.5), QPointF(15.5, 7.5), QPointF(13.5, 13.5), QPointF(1.5, 13.5)}));
}

void diskette(QPainter& p) {
    p.setPen(QPen(QColor(0x10, 0x20, 0x50), 1));
    p.setBrush(QColor(0x30, 0x50, 0xa0));
    p.drawRect(QRectF(1.5, 1.5, 13, 13));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(4, 1.5, 8, 5));
    p.setBrush(QColor(0xc0, 0xc0, 0xc0));
    p.drawRect(QRectF(4.5, 9.5, 7, 5));
}

void door(QPainter& p) {
    p.setPen(QPen(kOutline, 1));
    p.setBrush(QColor(0xa0, 0x70, 0x40));
    p.drawRect(QRectF(8.5, 1.5, 6, 13));
    p.setPen(QPen(QColor(0x20, 0x80, 0x20), 2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(1.5, 8), QPointF(9.5, 8));
    p.drawLine(QPointF(9.5, 8), QPointF(6.5, 5));
    p.drawLine(QPointF(9.5, 8), QPointF(6.5, 11));
}

void printer(QPainter& p) {
    p.setPen(QPen(kOutline, 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(4.5, 1.5, 7, 5));
    p.setBrush(QColor(0xb0, 0xb0, 0xb0));
    p.drawRect(QRectF(1.5, 6.5, 13, 6));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(4.5, 10.5, 7, 4));
    p.setPen(QPen(QColor(0x20, 0xa0, 0x20), 1));
    p.drawPoint(QPointF(12.5, 8.5));
}

void monitor(QPainter& p) {
    p.setPen(QPen(kOutline, 1));
    p.setBrush(QColor(0xc8, 0xc8, 0xc8));
    p.drawRect(QRectF(1.5, 1.5, 13, 10));
    p.setBrush(QColor(0x30, 0x60, 0xb0));
    p.drawRect(QRectF(3.5, 3.5, 9, 6));
    p.setBrush(QColor(0xa0, 0xa0, 0xa0));
    p.drawRect(QRectF(4.5, 12.5, 7, 2));
}

void backArrow(QPainter& p) {
    QPainterPath path(QPointF(13, 12));
    path.cubicTo(QPointF(13, 5), QPointF(8, 4), QPointF(4, 6));
    p.setPen(QPen(QColor(0x20, 0x50, 0xc0), 2.2, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x20, 0x50, 0xc0));
    p.drawPolygon(QPolygonF({QPointF(1, 7), QPointF(6.5, 2.5), QPointF(7, 9.5)}));
}

void picture(QPainter& p) {
    p.setPen(QPen(QColor(0x80, 0x60, 0x20), 1));
    p.setBrush(QColor(0x90, 0xc8, 0xf0));
    p.drawRect(QRectF(1.5, 2.5, 13, 11));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x30, 0x90, 0x30));
    p.drawPolygon(QPolygonF(
        {QPointF(2, 13), QPointF(6, 7), QPointF(9, 10.5), QPointF(11, 8.5), QPointF(14, 13)}));
    p.setBrush(QColor(0xf0, 0xd0, 0x20));
    p.drawEllipse(QPointF(11, 5.5), 1.5, 1.5);
}

void question(QPainter& p) {
    QFont f = p.font();
    f.setPixelSize(15);
    f.setBold(true);
    p.setFont(f);
    p.setPen(QColor(0x90, 0x70, 0x00));
    p.drawText(QRectF(1, 1, 16, 16), Qt::AlignCenter, QStringLiteral("?"));
    p.setPen(QColor(0xf0, 0xc8, 0x10));
    p.drawText(QRectF(0, 0, 16, 16), Qt::AlignCenter, QStringLiteral("?"));
}

void spreadsheet(QPainter& p) {
    p.setPen(QPen(kOutline, 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(1.5, 1.5, 12, 12));
    p.setPen(QPen(QColor(0x90, 0x90, 0x90), 1));
    for (qreal y : {4.5, 7.5, 10.5})
        p.drawLine(QPointF(2, y), QPointF(13, y));
    p.drawLine(QPointF(6.5, 2), QPointF(6.5, 13));
    p.setPen(QPen(QColor(0x10, 0x90, 0x30), 2.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(9, 9), QPointF(15, 15));
    p.drawLine(QPointF(15, 9), QPointF(9, 15));
}

struct Entry {
    IconIndex index;
    const char* theme;
    void (*draw)(QPainter&);
};

const Entry kEntries[] = {
    {IconNew, "document-new", page},
    {IconOpen, "document-open", folder},
    {IconSave, "document-save", diskette},
    {IconClose, "document-close",
     [](QPainter& p) {
         page(p);
         cross(p, QRectF(6, 7, 6, 6), 2);
     }},
    {IconExit, "application-exit", door},
    {IconReport, "document-print", printer},
    {IconReadDevice, "computer", monitor},
    {IconDeleteAll, "edit-delete", [](QPainter& p) { cross(p, QRectF(3, 3, 10, 10), 3); }},
    {IconCancelChanges, "edit-undo", backArrow},
    {IconScreenShot, "image-x-generic", picture},
    {IconAbout, "help-about", question},
    {IconExport, "x-office-spreadsheet", spreadsheet},
};

} // namespace

QIcon commandIcon(IconIndex index) {
    for (const auto& e : kEntries)
        if (e.index == index)
            return ui::themedIcon(QString::fromLatin1(e.theme), e.draw);
    return {};
}

} // namespace app
