#include "TextMeasure.h"

#include "ReportUnits.h"

#include <QFontDatabase>
#include <cmath>

namespace report {

namespace {

// Metrics are taken at this many pixels per unit, then scaled back to units.
constexpr double kMeasureScale = 16;
constexpr int kAdvanceCacheSize = 0x500; // Latin and Cyrillic

// "Times New Roman" where installed, else its metric-compatible Liberation Serif, asked for
// by name so that no script falls back to another face.
QString resolvedFamily(const QString& family) {
    static const bool hasTimes = QFontDatabase::hasFamily(QStringLiteral("Times New Roman"));
    if (family == QLatin1String("Times New Roman") && !hasTimes)
        return QStringLiteral("Liberation Serif");
    return family;
}

qsizetype trimmedLength(const QString& text) {
    qsizetype n = text.size();
    while (n > 0 && text.at(n - 1) == ' ')
        --n;
    return n;
}

} // namespace

QFont reportFont(const FontSpec& spec, double pixelsPerUnit) {
    QFont f(resolvedFamily(spec.family));
    f.setPixelSize(std::max(1, int(std::lround(pointsToUnits(spec.points) * pixelsPerUnit))));
    f.setBold(spec.bold);
    f.setHintingPreference(QFont::PreferNoHinting);
    f.setStyleStrategy(QFont::PreferOutline);
    return f;
}

TextMeasure::Metrics& TextMeasure::metricsFor(const FontSpec& font) {
    for (auto& m : m_fonts)
        if (m.spec == font)
            return m;
    Metrics m;
    m.spec = font;
    m.metrics = std::make_unique<QFontMetricsF>(reportFont(font, kMeasureScale));
    m.advance.assign(kAdvanceCacheSize, -1.0f);
    m.maxAdvance = m.metrics->maxWidth() / kMeasureScale;
    m_fonts.push_back(std::move(m));
    return m_fonts.back();
}

double TextMeasure::lineHeight(const FontSpec& font) {
    return metricsFor(font).metrics->height() / kMeasureScale + kLineSpacing;
}

// Sum of single-character advances with a margin for kerning: a cheap yes for most cells.
bool TextMeasure::surelyFits(Metrics& m, const QString& text, double width) {
    double sum = 0;
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u >= kAdvanceCacheSize) {
            sum += m.maxAdvance;
            continue;
        }
        float& a = m.advance[u];
        if (a < 0)
            a = float(m.metrics->horizontalAdvance(c) / kMeasureScale);
        sum += a;
    }
    return sum * 1.05 + 0.5 <= width;
}

QStringList TextMeasure::breakLines(const FontSpec& font, const QString& text, double width) {
    Metrics& m = metricsFor(font);
    QStringList lines;
    if (!text.contains('\n') && !text.contains('\r')) {
        wrapParagraph(m, text, width, lines);
        return lines;
    }
    QString normal = text;
    normal.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace('\r', '\n');
    for (const QString& para : normal.split('\n'))
        wrapParagraph(m, para, width, lines);
    return lines;
}

void TextMeasure::wrapParagraph(Metrics& m, const QString& text, double width, QStringList& out) {
    const qsizetype used = trimmedLength(text);
    const QString body = text.left(used);
    if (surelyFits(m, body, width) || m.metrics->horizontalAdvance(body) / kMeasureScale <= width ||
        !body.contains(' ')) {
        out << text;
        return;
    }
    // Greedy wrap at spaces; the blanks at a break are dropped, a word wider than the cell
    // stands alone on its line.
    QString line;
    qsizetype pos = 0;
    while (pos < used) {
        qsizetype next = body.indexOf(' ', pos);
        if (next < 0)
            next = used;
        const QString word = body.mid(pos, next - pos);
        const QString candidate = line.isEmpty() ? word : line + word;
        if (!line.trimmed().isEmpty() &&
            m.metrics->horizontalAdvance(candidate) / kMeasureScale > width) {
            out << line.left(trimmedLength(line));
            line = word;
        } else {
            line = candidate;
        }
        qsizetype after = next;
        while (after < used && body.at(after) == ' ')
            ++after;
        line += body.mid(next, after - next);
        pos = after;
    }
    out << line + text.mid(used); // the last line keeps the trailing blanks
}

} // namespace report
