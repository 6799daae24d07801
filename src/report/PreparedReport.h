#pragma once
#include "ReportTemplate.h"
#include "ReportUnits.h"

#include <QDateTime>
#include <QString>
#include <vector>

// A built report: pages of placed bands (for their rules) and of text lines, in report units.
namespace report {

struct PreparedText {
    float x = 0, y = 0;          // top left of the line's box (the cell's usable area)
    float width = 0, height = 0; // usable width of the cell, height of one line
    uint8_t font = 0;            // index into PreparedReport::fonts
    CellAlign align = CellAlign::Left;
    QString text;
};

struct PlacedBand {
    int band = 0; // index into PreparedReport::bands
    float top = 0;
};

struct PreparedPage {
    std::vector<PlacedBand> bands;
    std::vector<PreparedText> texts;
};

struct PreparedReport {
    double pageWidth = kPageWidth;
    double pageHeight = kPageHeight;
    std::vector<Band> bands; // the template's bands as they were for this run
    std::vector<FontSpec> fonts;
    std::vector<PreparedPage> pages;
    QDateTime started;
};

} // namespace report
