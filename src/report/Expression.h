#pragma once
#include <QString>
#include <vector>

// A cell text split into literal parts and [bracketed] expressions, parsed once per run.
namespace report {

struct TextPart {
    enum Kind { Literal, Variable, Field } kind = Literal;
    QString text;   // literal text, variable name or field name
    int field = -1; // resolved field index for Field parts
};

using ParsedText = std::vector<TextPart>;

// "[MainDataModule.dsetZOR."LOAD"]" is a Field part named LOAD; other brackets are variables.
ParsedText parseCellText(const QString& text);

} // namespace report
