#pragma once

#include <QString>
#include <array>

class QLabel;

// The one notice line of the main window. Several parts have something to
// tell the operator (the backup failed, the journal cannot be written, the
// barrier adapter is gone); the line shows every current message, one a
// line, the most important first, and hides when none is left. A full disk
// fails the backup and the journal together: a lost adapter must still show.
class OperatorNotice
{
public:
    // Most important first.
    enum Source { Backup, Journal, BarrierPort, ReplacedResult, SourceCount };

    explicit OperatorNotice(QLabel* label);

    // The source's current message; empty when it has nothing to say.
    void Set(Source source, const QString& message);
    QString Shown() const;

private:
    QLabel* label_;
    std::array<QString, SourceCount> messages_;
};
