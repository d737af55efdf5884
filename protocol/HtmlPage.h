#pragma once

#include "ProtocolRow.h"

#include <QByteArray>
#include <QString>

// The protocol as a web page to publish or print: Windows-1252, CR LF, the
// header row's texts as column heads and one table row per data row (every
// row, also an empty one). Cell texts show their first "," as ".". Texts are
// escaped for HTML, so a foreign loaded file cannot put markup into a page.

// The page's bytes; rows[0] is the header row, title the program title.
QByteArray HtmlPageBytes(const ProtocolRows& rows, const QString& title);

// Writes the page to path, replacing the file atomically. False (and the
// reason in *error when given) when it could not be written; the previous
// file is then untouched.
bool WriteHtmlPage(const QString& path, const ProtocolRows& rows, const QString& title, QString* error = nullptr);
