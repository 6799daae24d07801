#pragma once
#include "ReportTemplate.h"

#include <QFont>
#include <QFontMetricsF>
#include <QStringList>
#include <memory>
#include <vector>

// Text metrics in report units and the word wrap of a cell's text. Needs a QGuiApplication.
namespace report {

// The Qt font for a template font at a given number of device pixels per report unit.
// "Times New Roman" resolves to the metric-compatible Liberation Serif where it is missing.
QFont reportFont(const FontSpec& spec, double pixelsPerUnit);

class TextMeasure {
public:
    double lineHeight(const FontSpec& font); // font height plus the line spacing
    // Breaks at spaces where the text is wider than `width`; trailing blanks never wrap.
    QStringList breakLines(const FontSpec& font, const QString& text, double width);

private:
    struct Metrics {
        FontSpec spec;
        std::unique_ptr<QFontMetricsF> metrics;
        std::vector<float> advance; // per UTF-16 unit below 0x500, -1 when not yet measured
        double maxAdvance = 0;
    };
    Metrics& metricsFor(const FontSpec& font);
    bool surelyFits(Metrics& m, const QString& text, double width);
    void wrapParagraph(Metrics& m, const QString& text, double width, QStringList& out);

    std::vector<Metrics> m_fonts;
};

} // namespace report
