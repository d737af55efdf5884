#pragma once

#include "EntryTable.h"

#include <QByteArray>

// A CSV file as a spreadsheet saves it: separator semicolon, TAB or (when it
// is plainly the only one) comma; fields quoted with doubled quotes inside,
// line breaks inside quotes; UTF-8 (with or without byte-order mark),
// UTF-16 with byte-order mark, otherwise Windows-1252; CR LF, LF or CR.
bool ReadCsvTable(const QByteArray& bytes, EntryTable* table, QString* error);
