#include "ReportEngine.h"

#include "ReportLog.h"
#include "platform/Error.h"

#include <QLocale>

namespace report {

QString regionalDate(const QDate& d) {
    return QLocale().toString(d, QLocale::ShortFormat);
}

QString regionalTime(const QTime& t) {
    // The long format carries the seconds; the time zone it may add is not wanted here.
    QString format = QLocale().timeFormat(QLocale::LongFormat);
    format.remove(QLatin1Char('t'));
    return QLocale().toString(t, format.trimmed());
}

ReportEngine::ReportEngine(const ReportTemplate& tmpl, RowSource& rows)
    : m_template(tmpl), m_rows(rows) {}

ReportEngine::CompiledBand ReportEngine::compile(BandType type) {
    CompiledBand cb;
    for (size_t i = 0; i < m_template.bands.size(); ++i)
        if (m_template.bands[i].type == type) {
            cb.index = int(i);
            cb.band = &m_template.bands[i];
            break;
        }
    if (!cb.band)
        return cb;
    for (const TextCell& c : cb.band->cells) {
        CompiledCell cc{&c, parseCellText(c.text), 0, m_measure.lineHeight(c.font)};
        for (TextPart& p : cc.text)
            if (p.kind == TextPart::Field) {
                p.field = m_rows.fieldIndex(p.text);
                if (p.field < 0)
                    throw zor::Error(QStringLiteral("Неизвестное поле \"%1\"").arg(p.text));
            }
        auto& fonts = m_out->fonts;
        auto it = std::find(fonts.begin(), fonts.end(), c.font);
        cc.font = uint8_t(it - fonts.begin());
        if (it == fonts.end())
            fonts.push_back(c.font);
        cb.cells.push_back(std::move(cc));
    }
    return cb;
}

QString ReportEngine::variable(const QString& name) const {
    QString value;
    if (m_getValue && m_getValue(name, value))
        return value;
    if (name == QLatin1String("DATE"))
        return m_dateText;
    if (name == QLatin1String("TIME"))
        return m_timeText;
    if (name == QLatin1String("PAGE#"))
        return QString::number(m_out->pages.size());
    throw zor::Error(QStringLiteral("Неизвестная переменная \"%1\"").arg(name));
}

QString ReportEngine::evaluate(const ParsedText& text, int row) const {
    if (text.size() == 1 && text[0].kind == TextPart::Field && row >= 0)
        return m_rows.text(row, text[0].field);
    QString s;
    for (const TextPart& p : text) {
        if (p.kind == TextPart::Literal)
            s += p.text;
        else if (p.kind == TextPart::Field)
            s += row >= 0 ? m_rows.text(row, p.field) : QString();
        else
            s += variable(p.text);
    }
    return s;
}

void ReportEngine::placeBand(const CompiledBand& b, int row) {
    PreparedPage& page = m_out->pages.back();
    page.bands.push_back({b.index, float(m_y)});
    for (const CompiledCell& cc : b.cells) {
        const TextCell& c = *cc.cell;
        const double usableW = c.width - 2 * kGapX;
        const double usableH = c.height - 2 * kGapY;
        const QStringList lines = m_measure.breakLines(c.font, evaluate(cc.text, row), usableW);
        double top = m_y + c.y + kGapY + (usableH - lines.size() * cc.lineHeight) / 2;
        for (const QString& line : lines) {
            page.texts.push_back({float(c.x + kGapX), float(top), float(usableW),
                                  float(cc.lineHeight), cc.font, c.align, line});
            top += cc.lineHeight;
        }
    }
    m_y += b.band->height;
}

void ReportEngine::startPage(bool firstPage) {
    m_out->pages.emplace_back();
    m_y = 0;
    if (m_header.band && m_header.band->visible && (firstPage || m_header.band->repeatHeader))
        placeBand(m_header, -1);
}

bool ReportEngine::finishPage() {
    if (m_footer.band && m_footer.band->visible) {
        m_y = m_out->pageHeight - m_footer.band->height;
        placeBand(m_footer, -1);
    }
    return !m_progress || m_progress(int(m_out->pages.size()));
}

bool ReportEngine::prepare(PreparedReport& out) {
    const LogTimer t;
    const bool done = build(out);
    qCDebug(lcReport) << (done ? "prepared" : "cancelled after") << out.pages.size() << "pages of"
                      << (m_data.band ? m_rows.rowCount() : 0) << "rows in" << t.ms() << "ms";
    return done;
}

bool ReportEngine::build(PreparedReport& out) {
    m_out = &out;
    out = PreparedReport{};
    out.bands = m_template.bands;
    out.started = m_started.isValid() ? m_started : QDateTime::currentDateTime();
    m_dateText = regionalDate(out.started.date());
    m_timeText = regionalTime(out.started.time());
    m_header = compile(BandType::MasterHeader);
    m_data = compile(BandType::MasterData);
    m_footer = compile(BandType::PageFooter);

    // The footer's place is kept on every page, even when the footer is hidden.
    const double limit = out.pageHeight - (m_footer.band ? m_footer.band->height : 0);
    startPage(true);
    const int count = m_data.band ? m_rows.rowCount() : 0;
    for (int row = 0; row < count; ++row) {
        if (m_y + m_data.band->height > limit) {
            if (!finishPage())
                return false;
            startPage(false);
        }
        placeBand(m_data, row);
    }
    m_rows.walkEnded(count - 1);
    return finishPage();
}

} // namespace report
