#include "MemoryRows.h"
#include "platform/Error.h"
#include "report/MeasurementReport.h"
#include "report/TextMeasure.h"

#include <QFontInfo>
#include <gtest/gtest.h>

using namespace report;

namespace {

PreparedReport run(MainReport& r, MemoryRows& rows, int32_t unit = 0) {
    PreparedReport out;
    EXPECT_TRUE(prepareReport(
        r, rows, [unit] { return unit; }, out));
    return out;
}

PreparedReport run(ReportMode mode, int n) {
    MainReport r;
    applyMode(r, mode);
    MemoryRows rows = MemoryRows::numbered(n);
    return run(r, rows);
}

int countTexts(const PreparedPage& p, const QString& text) {
    return int(std::count_if(p.texts.begin(), p.texts.end(),
                             [&](const PreparedText& t) { return t.text == text; }));
}

} // namespace

TEST(ReportLayout, PagesHoldFortyNineRowsUnderAHeaderAndFiftyTwoWithout) {
    struct Case {
        ReportMode mode;
        int results;
        std::vector<int> rowsPerPage;
    };
    const Case cases[] = {
        {ReportMode::Print, 0, {0}},           {ReportMode::Print, 49, {49}},
        {ReportMode::Print, 50, {49, 1}},      {ReportMode::Print, 101, {49, 49, 3}},
        {ReportMode::Export, 50, {49, 1}},     {ReportMode::Export, 101, {49, 52}},
        {ReportMode::Export, 102, {49, 52, 1}}};
    for (const Case& c : cases) {
        const PreparedReport rep = run(c.mode, c.results);
        const bool print = c.mode == ReportMode::Print;
        SCOPED_TRACE(testing::Message() << (print ? "print " : "export ") << c.results);
        ASSERT_EQ(rep.pages.size(), c.rowsPerPage.size());
        for (size_t i = 0; i < rep.pages.size(); ++i) {
            const PreparedPage& p = rep.pages[i];
            const int dataBands = int(std::count_if(p.bands.begin(), p.bands.end(), [&](auto& b) {
                return rep.bands[b.band].type == BandType::MasterData;
            }));
            EXPECT_EQ(dataBands, c.rowsPerPage[i]) << "page " << i + 1;
            const bool header = i == 0 || print;
            EXPECT_EQ(countTexts(p, "ЗОР"), header ? 1 : 0) << "page " << i + 1;
            EXPECT_EQ(countTexts(p, "Дата"), header ? 1 : 0) << "page " << i + 1;
            EXPECT_EQ(countTexts(p, QString("Страница %1").arg(i + 1)), print ? 1 : 0);
            for (const PlacedBand& b : p.bands) { // nothing reaches into the footer's place
                if (rep.bands[b.band].type != BandType::PageFooter) {
                    EXPECT_LE(b.top + rep.bands[b.band].height, 1047);
                }
            }
        }
    }
}

TEST(ReportLayout, ModesSetBothBandSettingsWhateverRanBefore) {
    MainReport r;
    applyMode(r, ReportMode::Export);
    EXPECT_EQ(r.previewButtons, 69u);
    applyMode(r, ReportMode::Print);
    EXPECT_EQ(r.previewButtons, 73u);
    MemoryRows rows = MemoryRows::numbered(101);
    const PreparedReport afterExport = run(r, rows);
    const PreparedReport fresh = run(ReportMode::Print, 101);
    ASSERT_EQ(afterExport.pages.size(), fresh.pages.size());
    for (size_t i = 0; i < fresh.pages.size(); ++i)
        EXPECT_EQ(afterExport.pages[i].texts.size(), fresh.pages[i].texts.size());
    EXPECT_EQ(rows.lastRow, 100) << "the walk ends on the last row";
}

TEST(ReportLayout, FooterShowsTheRunStartAndThePageNumber) {
    MainReport r;
    applyMode(r, ReportMode::Print);
    MemoryRows rows = MemoryRows::numbered(60);
    ReportEngine engine(r.tmpl, rows);
    engine.setStartTime(QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9)));
    engine.setGetValue(
        [](const QString& name, QString& v) { return MainReportGetValue(name, v, 0); });
    PreparedReport rep;
    ASSERT_TRUE(engine.prepare(rep));
    ASSERT_EQ(rep.pages.size(), 2u);
    EXPECT_EQ(countTexts(rep.pages[1], "05.03.2024  14:07:09"), 1);
    EXPECT_EQ(countTexts(rep.pages[1], "Страница 2"), 1);
}

TEST(ReportLayout, LoadUnitTextIsReadAtEachRun) {
    struct Case {
        int32_t unit;
        const char* text;
    };
    for (Case c : {Case{0, "кгс"}, Case{1, "Н"}, Case{2, "Н"}, Case{-1, "Н"}}) {
        QString v = "untouched";
        EXPECT_TRUE(MainReportGetValue("LoadUnit", v, c.unit));
        EXPECT_EQ(v, QString::fromUtf8(c.text));
    }
    QString v = "untouched";
    EXPECT_FALSE(MainReportGetValue("loadunit", v, 1)) << "the name is case-sensitive";
    EXPECT_EQ(v, "untouched");
}

TEST(ReportLayout, UnknownNamesFailThePreparation) {
    MainReport r;
    r.tmpl.bands[0].cells[0].text = "[Nonsense]";
    MemoryRows rows = MemoryRows::numbered(1);
    PreparedReport out;
    EXPECT_THROW(prepareReport(
                     r, rows, [] { return 0; }, out),
                 zor::Error);
}

TEST(ReportText, TimesNewRomanResolvesToLiberationSerif) {
    EXPECT_EQ(QFontInfo(reportFont(FontSpec{}, 4)).family(), "Liberation Serif");
}

TEST(ReportText, WrapsAtSpacesButNeverForTrailingBlanks) {
    TextMeasure m;
    const FontSpec font;
    EXPECT_EQ(m.breakLines(font, "Усилие, ", 44), QStringList{"Усилие, "});
    EXPECT_EQ(m.breakLines(font, "12.345 ", 256), QStringList{"12.345 "});
    EXPECT_EQ(m.breakLines(font, "", 100), QStringList{""});
    const QStringList wrapped = m.breakLines(font, "alpha beta gamma delta", 60);
    EXPECT_GT(wrapped.size(), 1);
    EXPECT_EQ(wrapped.join(' '), "alpha beta gamma delta");
    for (const QString& line : wrapped)
        EXPECT_FALSE(line.endsWith(' '));
    EXPECT_EQ(m.breakLines(font, "Unbreakablelongword", 20), QStringList{"Unbreakablelongword"});
}
