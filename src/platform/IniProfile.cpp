#include "IniProfile.h"

#include "Cp1251.h"
#include "Error.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

#include <algorithm>

namespace platform {

namespace {

constexpr qsizetype kMaxValueLength = 2047;

bool isBlank(QChar c) {
    const char16_t u = c.unicode();
    return u == ' ' || u == '\t' || u == '\r' || u == '\v' || u == '\f' || u == 0x1A;
}

QString trimBlanks(QStringView s) {
    qsizetype b = 0, e = s.size();
    while (b < e && isBlank(s[b]))
        ++b;
    while (e > b && isBlank(s[e - 1]))
        --e;
    return s.mid(b, e - b).toString();
}

// "[name]" -> name; false for any other line.
bool sectionOf(const QString& line, QString& name) {
    const QString t = trimBlanks(line);
    if (!t.startsWith(QLatin1Char('[')))
        return false;
    const qsizetype close = t.lastIndexOf(QLatin1Char(']'));
    if (close < 0)
        return false;
    name = trimBlanks(QStringView(t).mid(1, close - 1));
    return true;
}

// "key = value" -> key, value; blank lines, comments and headers are not keys.
bool entryOf(const QString& line, QString& key, QString* value = nullptr) {
    const QString t = trimBlanks(line);
    if (t.isEmpty() || t.startsWith(QLatin1Char(';')) || t.startsWith(QLatin1Char('[')))
        return false;
    const qsizetype eq = t.indexOf(QLatin1Char('='));
    key = eq < 0 ? t : trimBlanks(QStringView(t).left(eq));
    if (value)
        *value = eq < 0 ? QString() : trimBlanks(QStringView(t).mid(eq + 1));
    return true;
}

bool sameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// A value wrapped in matching quotes is returned without them.
QString unquote(const QString& v) {
    if (v.size() >= 2 && (v.front() == QLatin1Char('"') || v.front() == QLatin1Char('\'')) &&
        v.back() == v.front())
        return v.mid(1, v.size() - 2);
    return v;
}

int hexDigit(QChar c) {
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

bool parseHex(QStringView digits, uint32_t& out) {
    if (digits.isEmpty())
        return false;
    uint32_t v = 0;
    int significant = 0;
    for (QChar c : digits) {
        const int d = hexDigit(c);
        if (d < 0)
            return false;
        if (significant > 0 || d != 0)
            ++significant;
        if (significant > 8)
            return false;
        v = v << 4 | static_cast<uint32_t>(d);
    }
    out = v;
    return true;
}

bool parseDecimal(QStringView digits, bool negative, int32_t& out) {
    if (digits.isEmpty())
        return false;
    int64_t v = 0;
    for (QChar c : digits) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
        v = v * 10 + (c.unicode() - '0');
        if (v > int64_t{1} << 31)
            return false;
    }
    if (negative)
        v = -v;
    if (v > INT32_MAX)
        return false;
    out = static_cast<int32_t>(v);
    return true;
}

// Lines are Windows-1251. A line holding a character the code page lacks (a folder named
// "/home/jürgen/", say) is written in UTF-8 instead, so the path is not lost to '?'; such a
// line is recognised on reading as valid UTF-8 that Windows-1251 could not have held.
QByteArray encodeLine(const QString& line) {
    return fitsCp1251(line) ? toCp1251(line) : line.toUtf8();
}

QString decodeLine(const QByteArray& raw) {
    const bool ascii = std::all_of(raw.begin(), raw.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (!ascii) {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString text = utf8(raw);
        if (!utf8.hasError() && !fitsCp1251(text))
            return text;
    }
    return fromCp1251(raw);
}

[[noreturn]] void failWrite(const QString& path) {
    throw zor::Error(QStringLiteral("Unable to write to %1").arg(path));
}

} // namespace

bool parseProfileInteger(const QString& text, int32_t& value) {
    QString s = text;
    if (s.size() > 2 && s[0] == QLatin1Char('0') &&
        (s[1] == QLatin1Char('x') || s[1] == QLatin1Char('X')))
        s = QLatin1Char('$') + s.mid(2);
    QStringView v(s);
    while (!v.isEmpty() && v.front() == QLatin1Char(' '))
        v = v.mid(1);
    bool negative = false;
    if (!v.isEmpty() && (v.front() == QLatin1Char('-') || v.front() == QLatin1Char('+'))) {
        negative = v.front() == QLatin1Char('-');
        v = v.mid(1);
    }
    if (!v.isEmpty() && v.front() == QLatin1Char('$')) {
        uint32_t bits = 0;
        if (!parseHex(v.mid(1), bits))
            return false;
        value = static_cast<int32_t>(negative ? 0u - bits : bits);
        return true;
    }
    return parseDecimal(v, negative, value);
}

IniProfile::IniProfile(const QString& path) : m_path(path) {
    QFile file(path);
    if (!file.exists())
        return;
    if (!file.open(QIODevice::ReadOnly)) {
        m_unreadable = true;
        return;
    }
    const QByteArray bytes = file.readAll();
    if (bytes.contains("\r\n"))
        m_eol = QStringLiteral("\r\n");
    for (const QByteArray& raw : bytes.split('\n'))
        m_lines.append(decodeLine(raw));
    if (!m_lines.isEmpty() && m_lines.back().isEmpty())
        m_lines.removeLast();
    for (QString& line : m_lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    }
}

IniProfile::Range IniProfile::findSection(const QString& section) const {
    Range r;
    QString name;
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        if (!sectionOf(m_lines[i], name))
            continue;
        if (r.header >= 0) {
            r.end = i;
            return r;
        }
        if (sameName(name, section))
            r.header = i;
    }
    r.end = m_lines.size();
    return r;
}

qsizetype IniProfile::findKey(const Range& range, const QString& key) const {
    if (range.header < 0)
        return -1;
    QString name;
    for (qsizetype i = range.header + 1; i < range.end; ++i) {
        if (entryOf(m_lines[i], name) && sameName(name, key))
            return i;
    }
    return -1;
}

QString IniProfile::readString(const QString& section, const QString& key,
                               const QString& defaultValue) const {
    const qsizetype line = findKey(findSection(section), key);
    QString name, value;
    if (line < 0 || !entryOf(m_lines[line], name, &value)) {
        QString d = defaultValue;
        while (!d.isEmpty() && d.back() == QLatin1Char(' '))
            d.chop(1);
        return d.left(kMaxValueLength);
    }
    return unquote(value).left(kMaxValueLength);
}

int32_t IniProfile::readInteger(const QString& section, const QString& key,
                                int32_t defaultValue) const {
    int32_t value = 0;
    return parseProfileInteger(readString(section, key), value) ? value : defaultValue;
}

void IniProfile::checkWritable(const QString& section, const QString& key,
                               const QString& value) const {
    const auto breaksLine = [](const QString& s) {
        return s.contains(QLatin1Char('\n')) || s.contains(QLatin1Char('\r'));
    };
    const QString k = trimBlanks(key);
    if (breaksLine(section) || trimBlanks(section).isEmpty() || breaksLine(key) || k.isEmpty() ||
        k.contains(QLatin1Char('=')) || k.startsWith(QLatin1Char('[')) ||
        k.startsWith(QLatin1Char(';')))
        throw zor::Error(QStringLiteral("Unable to write to %1: invalid name [%2] %3")
                             .arg(m_path, section, key));
    if (breaksLine(value))
        throw zor::Error(QStringLiteral("Unable to write to %1: the value of %2 holds a line break")
                             .arg(m_path, key));
}

void IniProfile::writeString(const QString& section, const QString& key, const QString& value) {
    checkWritable(section, key, value);
    const Range range = findSection(section);
    const qsizetype line = findKey(range, key);
    if (line >= 0) {
        QString name;
        entryOf(m_lines[line], name);
        m_lines[line] = name + QLatin1Char('=') + value;
        return;
    }
    const QString entry = trimBlanks(key) + QLatin1Char('=') + value;
    if (range.header < 0) {
        m_lines.append(QLatin1Char('[') + trimBlanks(section) + QLatin1Char(']'));
        m_lines.append(entry);
        return;
    }
    // After the section's last non-blank line, so blank separators stay before the next one.
    qsizetype at = range.end;
    while (at - 1 > range.header && trimBlanks(m_lines[at - 1]).isEmpty())
        --at;
    m_lines.insert(at, entry);
}

void IniProfile::writeInteger(const QString& section, const QString& key, int32_t value) {
    writeString(section, key, QString::number(value));
}

void IniProfile::save() const {
    // A file the platform would refuse to write must not be replaced behind its back.
    const QFileInfo info(m_path);
    if (m_unreadable || (info.exists() && (!info.isFile() || !info.isWritable())))
        failWrite(m_path);
    QByteArray bytes;
    for (const QString& line : m_lines)
        bytes += encodeLine(line) + toCp1251(m_eol);
    QSaveFile file(m_path);
    // Unbuffered, so that a short write is seen here rather than lost in the final flush.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        failWrite(m_path);
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        failWrite(m_path);
    }
    if (!file.commit())
        failWrite(m_path);
}

} // namespace platform
