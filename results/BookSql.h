#pragma once

#include "BookContent.h"

#include <QString>

class QSqlDatabase;

// The book's file format: the schema with its forward-only migrations and
// one function per kind of write. Every write is an upsert or a delete by
// key, so a batch that failed can be written again as it is.
namespace BookSql {

// The schema version this program writes (PRAGMA user_version).
int SchemaVersion();

// WAL and full sync: a commit is on the disk before it counts as written.
bool PrepareConnection(QSqlDatabase& db, QString& error);
// PRAGMA quick_check; false with the reason when the file is damaged.
bool QuickCheck(QSqlDatabase& db, QString& error);
// The file's user_version; -1 with the reason when it cannot be read.
int UserVersion(QSqlDatabase& db, QString& error);
// Brings an older file (or an empty one) up to SchemaVersion, step by step,
// each step in one transaction.
bool Migrate(QSqlDatabase& db, QString& error);

bool LoadAll(QSqlDatabase& db, BookContent& content, QString& error);
// A whole book into an empty file (the schema must be there).
bool WriteAll(QSqlDatabase& db, const BookContent& content, QString& error);

bool WriteRules(QSqlDatabase& db, const EventRules& rules, QString& error);
bool ReplaceEntries(QSqlDatabase& db, const QVector<Entry>& entries, QString& error);
bool UpsertEntry(QSqlDatabase& db, const Entry& entry, QString& error);
bool DeleteEntry(QSqlDatabase& db, int number, QString& error);
bool UpsertRun(QSqlDatabase& db, const RunRecord& run, QString& error);
bool DeleteRun(QSqlDatabase& db, std::int64_t id, QString& error);
bool UpsertChange(QSqlDatabase& db, const BookChange& change, QString& error);
bool InsertPosted(QSqlDatabase& db, const PostedList& posted, QString& error);

// The stored codes of the plain values (kept stable: files depend on them).
QString KindCode(RunKind kind);
RunKind KindFromCode(const QString& code);
QString StatusCode(RunStatus status);
RunStatus StatusFromCode(const QString& code);

} // namespace BookSql
