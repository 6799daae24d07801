#include "CsvExport.h"

#include "ReportLog.h"
#include "platform/Cp1251.h"
#include "platform/Error.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>
#include <cmath>

namespace report {

namespace {

constexpr double kColumnPitch = 64;
constexpr double kRowPitch = 14;
constexpr char kDelimiter = ';';

// Nearest integer, an exact half going to the even neighbour.
int gridIndex(double units, double pitch) {
    return int(std::nearbyint(units / pitch));
}

struct Entry {
    int row, column;
    const QString* text;
};

void appendRow(QString& out, std::vector<Entry>::const_iterator begin,
               std::vector<Entry>::const_iterator end) {
    QString row;
    int previous = 0;
    for (auto it = begin; it != end; ++it) {
        for (int i = previous; i < it->column; ++i)
            row += QLatin1Char(kDelimiter);
        if (it->text->contains(QLatin1Char(kDelimiter)))
            row += QLatin1Char('"') + *it->text + QLatin1Char('"');
        else
            row += *it->text;
        previous = it->column;
    }
    if (!row.isEmpty())
        out += row + QLatin1String("\r\n");
}

void appendPage(QString& out, const PreparedPage& page) {
    std::vector<Entry> entries;
    entries.reserve(page.texts.size());
    for (const PreparedText& t : page.texts)
        entries.push_back({gridIndex(t.y, kRowPitch), gridIndex(t.x, kColumnPitch), &t.text});
    std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        return a.row != b.row ? a.row < b.row : a.column < b.column;
    });
    auto begin = entries.cbegin();
    while (begin != entries.cend()) {
        auto end = begin;
        while (end != entries.cend() && end->row == begin->row)
            ++end;
        appendRow(out, begin, end);
        begin = end;
    }
}

} // namespace

QByteArray csvBytes(const PreparedReport& report) {
    QString text;
    for (const PreparedPage& page : report.pages)
        appendPage(text, page);
    return platform::toCp1251(text);
}

QString csvFileName(const QString& chosen) {
    const qsizetype slash = std::max(chosen.lastIndexOf('/'), chosen.lastIndexOf('\\'));
    const qsizetype dot = chosen.lastIndexOf('.');
    const QString stem = dot > slash ? chosen.left(dot) : chosen;
    return stem + QLatin1String(".csv");
}

void writeCsv(const PreparedReport& report, const QString& fileName) {
    const LogTimer t;
    const QByteArray bytes = csvBytes(report);
    // Written beside the target and renamed over it: a full disk leaves any old file whole.
    // Unbuffered, so a short write fails here instead of in a flush that commit() ignores.
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) ||
        file.write(bytes) != bytes.size() || !file.commit())
        throw zor::Error(QStringLiteral("Cannot create file \"%1\". %2")
                             .arg(QFileInfo(fileName).absoluteFilePath(), file.errorString()));
    qCDebug(lcReport) << "CSV written:" << fileName << bytes.size() << "bytes in" << t.ms() << "ms";
}

} // namespace report
