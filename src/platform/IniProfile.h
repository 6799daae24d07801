#pragma once
#include <QString>
#include <QStringList>

#include <cstdint>

// A settings file in the classic INI format with the lookup and update rules of the
// private-profile functions: 8-bit Windows-1251 text, case-insensitive names, first match wins,
// unknown sections and keys kept in place. A line the code page cannot hold is kept in UTF-8.
namespace platform {

class IniProfile {
public:
    // Reads the file once; a missing or unreadable file reads as empty.
    explicit IniProfile(const QString& path);

    const QString& path() const { return m_path; }

    // The value (at most 2047 characters), or the default when the key is missing.
    QString readString(const QString& section, const QString& key,
                       const QString& defaultValue = QString()) const;
    // Decimal, "0x"/"$" hexadecimal; the default for empty or unusable text.
    int32_t readInteger(const QString& section, const QString& key, int32_t defaultValue) const;

    // Change the text in memory; sections and keys are created when missing.
    // Throws zor::Error for names or values that would break the file's lines.
    void writeString(const QString& section, const QString& key, const QString& value);
    void writeInteger(const QString& section, const QString& key, int32_t value);

    // Writes the file whole or not at all; throws zor::Error("Unable to write to <path>").
    void save() const;

private:
    struct Range {
        qsizetype header = -1; // line of "[section]", -1 when missing
        qsizetype end = 0;     // one past the section's last line
    };
    Range findSection(const QString& section) const;
    qsizetype findKey(const Range& range, const QString& key) const;
    void checkWritable(const QString& section, const QString& key, const QString& value) const;

    QString m_path;
    QStringList m_lines;
    QString m_eol = QStringLiteral("\n");
    bool m_unreadable = false; // exists but could not be read: never overwrite it
};

// The integer rule of the settings file; exposed for the tests.
bool parseProfileInteger(const QString& text, int32_t& value);

} // namespace platform
