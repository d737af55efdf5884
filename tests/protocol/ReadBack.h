#pragma once

#include "ProtocolFile.h"

#include <algorithm>

// What any input must survive: the rows read from it, saved and read again,
// come back unchanged, except that empty cells return as blanks and rows
// without any field (from empty lines) are not written at all.
inline bool ReadsBackTheSame(const QByteArray& bytes)
{
    const LoadedProtocol loaded = ParseProtocolText(bytes);
    ProtocolRows saved = {{QStringLiteral("Nr."), QStringLiteral("Start"), QStringLiteral("Stopp"),
        QStringLiteral("Zeit"), QStringLiteral("km/h"), QStringLiteral("Platz")}};
    ProtocolRows expected;
    for (const ProtocolRow& row : loaded.rows) {
        saved.push_back(row);
        if (std::all_of(row.begin(), row.end(), [](const QString& cell) { return cell.isEmpty(); }))
            continue;
        ProtocolRow blanked = row;
        for (QString& cell : blanked) {
            if (cell.isEmpty())
                cell = QStringLiteral(" ");
        }
        expected.push_back(blanked);
    }
    return ParseProtocolText(ProtocolTextBytes(saved)).rows == expected;
}
