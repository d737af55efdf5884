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

// Bounds of what the reader takes: no protocol comes near them (a day of
// runs is a few hundred lines of about 50 bytes), and they keep a foreign
// or broken file from holding the program for long or filling the memory.
constexpr qint64 MaxProtocolFileBytes = 8 * 1024 * 1024;
constexpr int MaxProtocolLines = 100000;
// A longer field is cut here.
constexpr int MaxProtocolFieldLength = 1000;

// What the reader made of a file: the data rows (header lines skipped) and
// whether the whole file was read. When the file could not be opened,
// opened is false, rows is empty and error says why in German (missing
// tells a file that simply is not there); when reading broke off, complete
// is false and rows holds what was read before.
struct LoadedProtocol
{
    ProtocolRows rows;
    bool opened = false;
    bool complete = false;
    bool missing = false;
    QString error;
    // Fields cut at MaxProtocolFieldLength.
    int cutFields = 0;
    // Bytes no protocol text file holds (control characters such as NUL),
    // or a first line that is not the header line this program writes.
    bool foreign = false;

    // Read whole, and would be written back as it was.
    bool Clean() const { return opened && complete && cutFields == 0 && !foreign; }
};

// Parses protocol text bytes by the reader rules: lines end with LF or
// CR LF, an end-of-file mark (0x1A) ends the text, a line containing "Nr."
// is skipped, fields are TAB-separated (";" in a line without TAB), a run
// of separators counts as one, an empty field becomes a blank. More than
// MaxProtocolLines lines are refused (opened false, error set).
LoadedProtocol ParseProtocolText(const QByteArray& bytes);
// Reads an open device to its end. A read error keeps the lines read whole
// before it; more than MaxProtocolFileBytes bytes are refused.
LoadedProtocol ReadProtocolText(QIODevice& device);
// Opens only a regular file, without ever blocking (a FIFO or a device of
// that name is refused, not waited for), and reads it by the rules above.
LoadedProtocol LoadProtocolText(const QString& path);

// "yyyy-mm-dd-hh-mm" of the given local time: the proposed file name.
QString TimeStampName(const QDateTime& now);
