#include "FieldTexts.h"

#include "platform/DateTime.h"

#include <QLocale>
#include <cmath>

namespace store {

namespace {
QString twoDigits(int v) {
    return QString::number(v).rightJustified(2, QLatin1Char('0'));
}

QString timeSeparator() {
    const QString fmt = QLocale().timeFormat(QLocale::ShortFormat);
    const qsizetype h = fmt.indexOf(QLatin1Char('h'), 0, Qt::CaseInsensitive);
    for (qsizetype i = h + 1; h >= 0 && i < fmt.size(); ++i)
        if (!fmt[i].isLetter())
            return fmt[i] == QLatin1Char(' ') ? QStringLiteral(":") : QString(fmt[i]);
    return QStringLiteral(":");
}
} // namespace

QString FormatLoad(int32_t unit, double load, double ratedLoad) {
    // The dead band is decided in kilogram-force, with the product in extended precision.
    if (static_cast<long double>(ratedLoad) * 0.0001L > std::fabs(static_cast<long double>(load)))
        load = 0;
    if (unit == 1)
        load = load * 9.80665;
    int decimals = 4;
    double threshold = 10;
    // An infinite load (a garbled record) would pass every threshold forever.
    while (std::isfinite(load) && std::fabs(load) >= threshold) {
        --decimals;
        threshold *= 10;
    }
    // A negative count means "not given", which prints the default of 2 decimals.
    if (decimals < 0)
        decimals = 2;
    // "%-7.*f": fixed point, left-aligned, blanks to 7 characters; C-locale digits first.
    QString text = QString::number(load, 'f', decimals).leftJustified(7, QLatin1Char(' '));
    const QString point = QLocale().decimalPoint();
    if (point != QLatin1String("."))
        text.replace(QLatin1Char('.'), point);
    return text;
}

QString formatDateText(double dateTime) {
    const platform::CivilDateTime c = platform::decodeDateTime(dateTime);
    return twoDigits(c.day) + QLatin1Char('.') + twoDigits(c.month) + QLatin1Char('.') +
           QString::number(c.year).rightJustified(4, QLatin1Char('0'));
}

QString formatTimeText(double dateTime) {
    const platform::CivilDateTime c = platform::decodeDateTime(dateTime);
    const QString sep = timeSeparator();
    return twoDigits(c.hour) + sep + twoDigits(c.minute) + sep + twoDigits(c.second);
}

} // namespace store
