#pragma once

#include <QString>
#include <array>
#include <functional>

class QLabel;
class QWidget;

// The one notice line of the main window. Several parts have something to
// tell the operator (the backup failed, the journal cannot be written, the
// barrier adapter is gone); the line shows every current message, one a
// line, the most important first, and hides when none is left. A full disk
// fails the backup and the journal together: a lost adapter must still show.
class OperatorNotice
{
public:
    // Most important first.
    enum Source { Backup, Journal, BarrierPort, ReplacedResult, EventBook, SourceCount };

    // keepWhole, if given, is the part of the window that must stay whole
    // below the notice (the lanes and run buttons): the window grows for it.
    explicit OperatorNotice(QLabel* label, QWidget* keepWhole = nullptr);

    // The source's current message; empty when it has nothing to say.
    void Set(Source source, const QString& message);
    QString Shown() const;
    // A handler that sets the source's message, for a part's notice signal.
    std::function<void(const QString&)> SetterFor(Source source)
    {
        return [this, source](const QString& message) { Set(source, message); };
    }

private:
    void KeepWhole();

    QLabel* label_;
    QWidget* keepWhole_;
    std::array<QString, SourceCount> messages_;
};
