#pragma once
#include "Expression.h"
#include "PreparedReport.h"
#include "ReportTemplate.h"
#include "RowSource.h"
#include "TextMeasure.h"

#include <QDateTime>
#include <functional>

// Lays a template out over a row source: header, one data band per row, footer per page.
namespace report {

// Supplies a value for a bracketed name before the engine resolves it; true when it did.
using GetValueHandler = std::function<bool(const QString& name, QString& value)>;
// Told each finished page; false cancels the run.
using ProgressHandler = std::function<bool(int pagesDone)>;

class ReportEngine {
public:
    ReportEngine(const ReportTemplate& tmpl, RowSource& rows);
    void setGetValue(GetValueHandler handler) { m_getValue = std::move(handler); }
    void setProgress(ProgressHandler handler) { m_progress = std::move(handler); }
    // The run's [DATE] and [TIME]; the current time when not set.
    void setStartTime(const QDateTime& t) { m_started = t; }
    // Builds the pages; false when cancelled. Throws zor::Error on an unknown name.
    bool prepare(PreparedReport& out);

private:
    struct CompiledCell {
        const TextCell* cell;
        ParsedText text;
        uint8_t font;
        double lineHeight;
    };
    struct CompiledBand {
        int index = -1;
        const Band* band = nullptr;
        std::vector<CompiledCell> cells;
    };

    bool build(PreparedReport& out);
    CompiledBand compile(BandType type);
    void placeBand(const CompiledBand& b, int row);
    void startPage(bool firstPage);
    bool finishPage();
    QString evaluate(const ParsedText& text, int row) const;
    QString variable(const QString& name) const;

    const ReportTemplate& m_template;
    RowSource& m_rows;
    GetValueHandler m_getValue;
    ProgressHandler m_progress;
    QDateTime m_started;
    TextMeasure m_measure;
    PreparedReport* m_out = nullptr;
    CompiledBand m_header, m_data, m_footer;
    double m_y = 0;
    QString m_dateText, m_timeText;
};

// The run's date and time as the regional short date and time formats give them.
QString regionalDate(const QDate& d);
QString regionalTime(const QTime& t);

} // namespace report
