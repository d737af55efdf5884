#pragma once

#include "ProtocolRow.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

// The protocol text file: Windows-1252, CR LF, six TAB-ended cells a line,
// an empty cell written as one blank. The same format serves the automatic
// backup.

// The bytes of a protocol text file for the given rows (header row first,
// rows with an empty "Nr." left out).
QByteArray ProtocolTextBytes(const ProtocolRows& rows);

// Writes the rows to path, replacing the file atomically. False (and the
// reason in German in *error when given) when the file could not be written;
// the previous file is then untouched.
bool SaveProtocolText(const QString& path, const ProtocolRows& rows, QString* error = nullptr);

// What the reader made of a file: the data rows (header lines skipped) and
// whether the whole file was read. When the file could not be opened,
// opened is false and rows is empty; when reading broke off, complete is
// false and rows holds what was read before.
struct LoadedProtocol
{
    ProtocolRows rows;
    bool opened = false;
    bool complete = false;
};

// Parses protocol text bytes by the reader rules.
LoadedProtocol ParseProtocolText(const QByteArray& bytes);
LoadedProtocol LoadProtocolText(const QString& path);

// "yyyy-mm-dd-hh-mm" of the given local time: the proposed file name.
QString TimeStampName(const QDateTime& now);
