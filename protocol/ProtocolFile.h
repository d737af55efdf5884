#pragma once

#include "ProtocolRow.h"

#include <QByteArray>
#include <QIODevice>
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

// Parses protocol text bytes by the reader rules: lines end with LF or
// CR LF, an end-of-file mark (0x1A) ends the text, a line containing "Nr."
// is skipped, fields are TAB-separated (";" in a line without TAB), a run
// of separators counts as one, an empty field becomes a blank.
LoadedProtocol ParseProtocolText(const QByteArray& bytes);
// Reads an open device to its end. A read error keeps the lines read whole
// before it.
LoadedProtocol ReadProtocolText(QIODevice& device);
LoadedProtocol LoadProtocolText(const QString& path);

// "yyyy-mm-dd-hh-mm" of the given local time: the proposed file name.
QString TimeStampName(const QDateTime& now);
