#pragma once

#include "ProtocolRow.h"

#include <QString>

// The protocol as the text a word processor turns into a table: one line
// per row (header and empty rows included), the six cells joined by TAB,
// each line ended by CR LF. A cell holding a blank, a control character or a
// double quote is put in double quotes, its double quotes doubled.
QString WordExportText(const ProtocolRows& rows);

// A cell text as it goes into a spreadsheet: a short text ("55,3") shows its
// first "," as "."; longer ones ("105,3", "1.05,12") keep their commas.
QString SpreadsheetCellText(const QString& cell);
