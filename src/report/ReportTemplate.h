#pragma once
#include "ReportUnits.h"

#include <QString>
#include <vector>

// The report template as data: one page of bands, each holding text cells and rule lines.
namespace report {

enum class BandType { MasterHeader, MasterData, PageFooter };
enum class CellAlign { Left, Right, Center };

struct FontSpec {
    QString family = QStringLiteral("Times New Roman");
    double points = 10;
    bool bold = false;
    bool operator==(const FontSpec&) const = default;
};

struct TextCell {
    QString name;
    double x = 0, y = 0, width = 0, height = 0; // x from the paper's left edge, y in the band
    QString text;                               // may hold [expressions]
    FontSpec font;
    CellAlign align = CellAlign::Left;
};

struct LineItem {
    QString name;
    double x = 0, y = 0; // start point; y in the band
    double length = 0;
    bool horizontal = true; // runs right, else down
    double width = 1;
    bool doubleLine = false;
};

struct Band {
    QString name;
    BandType type = BandType::MasterData;
    double height = 0;
    double width = kPageWidth;
    bool visible = true;
    bool repeatHeader = false;
    std::vector<TextCell> cells;
    std::vector<LineItem> lines;
};

// Inner gaps and line spacing shared by every cell.
constexpr double kGapX = 2;
constexpr double kGapY = 1;
constexpr double kLineSpacing = 2;

struct ReportTemplate {
    std::vector<Band> bands;
    QString printerName;

    Band* findBand(const QString& name);
    const Band* findBand(const QString& name) const;
    const Band* findBand(BandType type) const;
    // Sets a Boolean band property by name ("Visible", "RepeatHeader"); false if unknown.
    bool setBandProperty(const QString& band, const QString& property, bool value);
};

// The measurement report: title, ruled table of results, page footer.
ReportTemplate measurementTemplate();

} // namespace report
