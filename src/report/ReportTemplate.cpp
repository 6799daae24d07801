#include "ReportTemplate.h"

namespace report {

Band* ReportTemplate::findBand(const QString& name) {
    for (auto& b : bands)
        if (b.name == name)
            return &b;
    return nullptr;
}

const Band* ReportTemplate::findBand(const QString& name) const {
    return const_cast<ReportTemplate*>(this)->findBand(name);
}

const Band* ReportTemplate::findBand(BandType type) const {
    for (const auto& b : bands)
        if (b.type == type)
            return &b;
    return nullptr;
}

bool ReportTemplate::setBandProperty(const QString& band, const QString& property, bool value) {
    Band* b = findBand(band);
    if (!b)
        return false;
    if (property.compare(QLatin1String("Visible"), Qt::CaseInsensitive) == 0)
        b->visible = value;
    else if (property.compare(QLatin1String("RepeatHeader"), Qt::CaseInsensitive) == 0)
        b->repeatHeader = value;
    else
        return false;
    return true;
}

namespace {

TextCell cell(const char* name, double x, double y, double w, double h, const QString& text,
              CellAlign align = CellAlign::Left) {
    TextCell c;
    c.name = QString::fromLatin1(name);
    c.x = x;
    c.y = y;
    c.width = w;
    c.height = h;
    c.text = text;
    c.align = align;
    return c;
}

LineItem hline(const char* name, double x, double y, double length, double width = 1) {
    return {QString::fromLatin1(name), x, y, length, true, width, false};
}

LineItem vline(const char* name, double x, double y, double length) {
    return {QString::fromLatin1(name), x, y, length, false, 1, false};
}

Band masterHeader() {
    Band b{
        QStringLiteral("MasterHeader"), BandType::MasterHeader, 56, kPageWidth, true, true, {}, {}};
    TextCell title = cell("Memo14", 56, 8, 80, 20, QStringLiteral("ЗОР"));
    title.font.points = 14;
    title.font.bold = true;
    TextCell unit = cell("LoadUnitMemo", 528, 36, 48, 16, QStringLiteral("[LoadUnit]"));
    unit.font.bold = true;
    b.cells = {title,
               cell("Memo15", 60, 36, 72, 16, QStringLiteral("Дата")),
               cell("Memo13", 140, 36, 72, 16, QStringLiteral("Время")),
               cell("Memo16", 220, 36, 56, 16, QStringLiteral("№")),
               cell("Memo17", 284, 36, 184, 16, QStringLiteral("Объект")),
               cell("Memo21", 476, 36, 48, 16, QStringLiteral("Усилие, ")),
               unit};
    b.lines = {hline("Line22", 56, 32, 684, 2), hline("Line15", 56, 56, 684, 2),
               vline("Line16", 56, 32, 24),     vline("Line28", 136, 32, 24),
               vline("Line27", 216, 32, 24),    vline("Line26", 280, 32, 24),
               vline("Line19", 472, 32, 24),    vline("Line21", 740, 32, 24)};
    return b;
}

Band masterData() {
    Band b{QStringLiteral("MasterData"), BandType::MasterData, 20, kPageWidth, true, false, {}, {}};
    auto field = [](const char* name) {
        return QStringLiteral("[MainDataModule.dsetZOR.\"%1\"]").arg(QLatin1String(name));
    };
    b.cells = {cell("Memo1", 60, 0, 76, 20, field("MSR_DATE")),
               cell("Memo2", 140, 0, 76, 20, field("MSR_TIME")),
               cell("Memo3", 220, 0, 56, 20, field("MSR_NUMBER"), CellAlign::Right),
               cell("Memo4", 284, 0, 184, 20, field("OBJECT_NAME")),
               cell("Memo8", 476, 0, 260, 20, field("LOAD"))};
    b.lines = {vline("Line2", 56, 0, 20),  vline("Line3", 136, 0, 20), vline("Line4", 216, 0, 20),
               vline("Line5", 280, 0, 20), vline("Line8", 472, 0, 20), vline("Line14", 740, 0, 20),
               hline("Line1", 56, 20, 684)};
    return b;
}

Band pageFooter() {
    Band b{QStringLiteral("PageFooter"), BandType::PageFooter, 24, kPageWidth, true, false, {}, {}};
    b.cells = {
        cell("Memo5", 60, 4, 216, 20, QStringLiteral("[DATE]  [TIME]")),
        cell("Memo24", 329, 4, 180, 20, QStringLiteral("Страница [PAGE#]"), CellAlign::Center)};
    LineItem rule = hline("Line6", 56, 0, 684);
    rule.doubleLine = true;
    b.lines = {rule};
    return b;
}

} // namespace

ReportTemplate measurementTemplate() {
    ReportTemplate t;
    t.printerName = QStringLiteral("Microsoft XPS Document Writer");
    t.bands = {masterHeader(), masterData(), pageFooter()};
    return t;
}

} // namespace report
