#pragma once

#include <QString>
#include <functional>

class ProtocolBackup;
class QWidget;

// Closing the window while the backup can be written nowhere (the disk
// full, the program folder and the per-user folder unwritable) would take
// the runs on screen with it. The operator is asked, and may first save the
// protocol elsewhere (a USB stick) through the save dialog.
class BackupExitQuestion
{
public:
    enum class Answer { Quit, Stay, SaveElsewhere };

    static inline const QString Question = QStringLiteral("Sicherung fehlgeschlagen – trotzdem beenden?");

    explicit BackupExitQuestion(QWidget* parent);

    // True when the window may close: the backup was written (here, at
    // once, to the usual place or the fallback), the protocol holds no run,
    // or the operator chose to quit all the same.
    bool MayClose(ProtocolBackup& backup, bool hasRuns);

    // Shows the question with why the backup failed; tests answer here.
    std::function<Answer(const QString& question, const QString& why)> Ask;
    // "Speichern unter..." for the protocol.
    std::function<void()> SaveElsewhere;
};
