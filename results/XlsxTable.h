#pragma once

#include "EntryTable.h"

// The first sheet of an xlsx workbook: shared and inline strings (rich text
// runs joined), numbers (12.0 becomes "12"), cells placed by their reference.
bool ReadXlsxTable(const QString& path, EntryTable* table, QString* error);
