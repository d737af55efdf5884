#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// A spreadsheet's rows as read from a CSV or xlsx file, before any column is
// given a meaning. Blank rows are left out; each row keeps the number a
// spreadsheet shows for it, so that a message can name it.
struct EntryTable
{
    struct Row
    {
        int line = 0; // 1-based, as a spreadsheet numbers its rows
        QStringList cells; // trimmed; line breaks inside a cell became spaces
    };
    QList<Row> rows;
};

// Limits against files that are not entry lists (or are built to hurt):
// an event has at most 9999 start numbers.
inline constexpr int kEntryTableMaxRows = 20000;
inline constexpr int kEntryTableMaxColumns = 64;
inline constexpr qint64 kEntryFileMaxBytes = 20 * 1024 * 1024;

// Reads a CSV or xlsx file (told apart by its content, not its name).
// False and a German reason in *error when the file cannot be read.
bool ReadEntryTable(const QString& path, EntryTable* table, QString* error);
