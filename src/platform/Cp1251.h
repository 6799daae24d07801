#pragma once
#include <QByteArray>
#include <QString>

// The program's 8-bit texts (settings file, object names, memos, CSV) are Windows-1251.
namespace platform {

// Every byte maps to one character; the one unassigned byte (0x98) maps to U+0098 so that
// any file read and written back keeps its bytes.
QString fromCp1251(const QByteArray& bytes);
// Characters the code page cannot hold become '?', one per character.
QByteArray toCp1251(const QString& text);
// True when every character of the text has a byte in the code page.
bool fitsCp1251(const QString& text);

} // namespace platform
