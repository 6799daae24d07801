#include "Expression.h"

namespace report {

namespace {

TextPart expressionPart(const QString& inner) {
    static const QString prefix = QStringLiteral("MainDataModule.dsetZOR.");
    if (inner.startsWith(prefix)) {
        QString field = inner.mid(prefix.size());
        if (field.size() >= 2 && field.startsWith('"') && field.endsWith('"'))
            field = field.mid(1, field.size() - 2);
        return {TextPart::Field, field, -1};
    }
    return {TextPart::Variable, inner, -1};
}

} // namespace

ParsedText parseCellText(const QString& text) {
    ParsedText parts;
    qsizetype pos = 0;
    while (pos < text.size()) {
        const qsizetype open = text.indexOf('[', pos);
        const qsizetype close = open < 0 ? -1 : text.indexOf(']', open + 1);
        if (open < 0 || close < 0) {
            parts.push_back({TextPart::Literal, text.mid(pos), -1});
            break;
        }
        if (open > pos)
            parts.push_back({TextPart::Literal, text.mid(pos, open - pos), -1});
        parts.push_back(expressionPart(text.mid(open + 1, close - open - 1)));
        pos = close + 1;
    }
    return parts;
}

} // namespace report
