#pragma once
#include <QByteArray>
#include <QHash>
#include <QString>
#include <optional>

// The program's version resource: string tables embedded at build time in the executable's
// ".zor_version" ELF section (see VersionResource.cmake) and read back from the file, so the
// About box shows what the running binary carries.
namespace about {

// Sub-block paths ("\StringFileInfo\041904E3\ProductName") to their values.
using VersionBlock = QHash<QString, QString>;

inline constexpr char kVersionSection[] = ".zor_version";
inline constexpr char kStringTable[] = "\\StringFileInfo\\041904E3\\";

// The raw bytes of a named section of an ELF file; nothing when the file cannot be read, is
// not ELF, or has no such section.
std::optional<QByteArray> readElfSection(const QString& fileName, const QByteArray& section);

// Parses the resource text: "[\StringFileInfo\041904E3]" block lines, then "Key=Value" lines
// (UTF-8; '#' starts a comment line; the text ends at the first zero byte).
VersionBlock parseVersionBlock(const QByteArray& text);

// The version block of an executable file; nothing when it carries no resource.
std::optional<VersionBlock> readVersionBlock(const QString& fileName);

// Looks `key` up in the string table 041904E3: true and its value when found, else false and
// an empty value.
bool GetVersionValue(const VersionBlock& block, const QString& key, QString& value);

} // namespace about
