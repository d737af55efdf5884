#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QVector>

// Where the books live and how their files are named, kept aside and
// remembered. A book's file is never deleted or overwritten: a file the
// program cannot use is renamed beside it.
namespace BookFiles {

// Veranstaltungen/ in the per-user data folder.
QString Folder();
// "<date>-<title>.ravolt", the title made safe for every file system.
QString FileNameFor(const QDate& date, const QString& title);
// folder/FileNameFor(...), with " (2)", " (3)" ... when that name is taken.
QString NewPath(const QString& folder, const QDate& date, const QString& title);

// Renames the file (and its -wal and -shm) to "<file>.<why>-<time>"; the
// new name of the file, empty when it could not be renamed.
QString SetAside(const QString& path, const QString& why);
// Renames a -wal or -shm left without its file, so a new file never takes
// them for its own.
void SetAsideLeftovers(const QString& path);

// The last event's file, remembered in the folder of path; empty for none.
QString LastEvent(const QString& folder);
bool RememberLastEvent(const QString& path);

struct BookInfo
{
    QString path;
    QString name; // the file name without its suffix: "<date>-<title>"
    QDateTime modified;
};
// The books in folder, the latest change first.
QVector<BookInfo> List(const QString& folder);

} // namespace BookFiles
