#include "ExportTexts.h"

namespace {

bool NeedsQuotes(const QString& cell)
{
    for (const QChar c : cell) {
        if (c.unicode() <= u' ' || c == u'"')
            return true;
    }
    return false;
}

} // namespace

QString WordExportText(const ProtocolRows& rows)
{
    QString text;
    for (const ProtocolRow& row : rows) {
        for (std::size_t c = 0; c < row.size(); ++c) {
            if (c > 0)
                text += u'\t';
            if (NeedsQuotes(row[c]))
                text += u'"' + QString(row[c]).replace(u'"', QStringLiteral("\"\"")) + u'"';
            else
                text += row[c];
        }
        text += QStringLiteral("\r\n");
    }
    return text;
}

QString SpreadsheetCellText(const QString& cell)
{
    QString text = cell;
    const qsizetype comma = text.indexOf(u',');
    if (comma >= 0 && text.size() < 5)
        text[comma] = u'.';
    return text;
}
