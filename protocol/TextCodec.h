#pragma once

#include <QByteArray>
#include <QString>

// The 8-bit code page of the protocol files and exports (Windows-1252).
// Characters it cannot hold become '?'.
QByteArray EncodeWindows1252(const QString& text);
QString DecodeWindows1252(const QByteArray& bytes);

// Writes bytes to path through QSaveFile: the old file stays whole until the
// new one is complete and flushed to the disk. False and a German reason in
// *error (for example "Datenträger voll") on failure.
bool WriteFileAtomically(const QString& path, const QByteArray& bytes, QString* error = nullptr);

// The German reason for a failed write with this errno ("Datenträger voll"
// for ENOSPC).
QString WriteErrorText(int errnoValue);
