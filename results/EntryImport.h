#pragma once

#include "EntryTable.h"
#include "EventTypes.h"

#include <array>

// Turns an entry list file into entries: the header line's column names are
// matched in German and English; when Nr., Name or Klasse cannot be found
// the caller shows the file's columns (ColumnMapping) to the operator and
// applies the chosen mapping. The result is every entry or an error, never
// a part of the list.

enum class EntryField { Number, Name, FirstName, Car, ClassName, Club, Team };
inline constexpr int kEntryFieldCount = 7;

// "Nr.", "Name", "Vorname", "Fahrzeug", "Klasse", "Verein", "Team".
QString EntryFieldText(EntryField field);
bool IsRequiredEntryField(EntryField field);

struct ColumnMapping
{
    int headerRow = 0; // index into EntryTable::rows; the entries are the rows after it
    std::array<int, kEntryFieldCount> columns{-1, -1, -1, -1, -1, -1, -1}; // -1: not in the file

    int& operator[](EntryField field) { return columns[std::size_t(field)]; }
    int operator[](EntryField field) const { return columns[std::size_t(field)]; }
};

// The first of the top rows that names Nr., Name and Klasse is the header
// (a title line may stand above it); without one, the first row with every
// column it could match.
ColumnMapping GuessColumnMapping(const EntryTable& table);
// True when the required fields have columns.
bool IsCompleteMapping(const ColumnMapping& mapping);

// Every entry below the header in the file's order (order from 1), or false
// and a German message naming the line.
bool ApplyColumnMapping(const EntryTable& table, const ColumnMapping& mapping, QList<Entry>* entries,
                        QString* error);

struct EntryImportResult
{
    enum class Status { Imported, NeedsMapping, Failed };
    Status status = Status::Failed;
    QList<Entry> entries; // Imported
    QString error;        // Failed
    EntryTable table;     // NeedsMapping: the file's rows, for the mapping step
    ColumnMapping mapping; // NeedsMapping: what could be matched
};

EntryImportResult ImportEntries(const QString& path);
