#pragma once

#include <QObject>
#include <QString>
#include <QThreadPool>
#include <QTimer>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>

class JournalFeed;
class RunControl;
class TFrame1;

// The lanes' current and next start numbers, whether each lane showed a
// result, and the lane that started last.
struct LaneNumbers
{
    int current[2] = {1, 2};
    int next[2] = {3, 4};
    bool showsResult[2] = {false, false};
    int lastStartLane = 0;

    // A few "key=value" lines; the reader takes only a complete, valid text.
    QByteArray Text() const;
    static std::optional<LaneNumbers> Parse(const QByteArray& text);
};

// Keeps the lanes' start numbers in a small file beside the protocol backup
// ("Ravolt-Sicherungsdatei.startnummern"), written the same way (atomically,
// on the disk before it replaces the last one) whenever the numbers, the
// lanes or the protocol change, and read back at start: after a crash or a
// restart the lanes go on where they stood, and a lane that showed a result
// moves on as its reset would, so the next START cannot clear that result.
// The backup file itself stays a plain protocol text file.
class StartNumberBackup : public QObject
{
    Q_OBJECT
public:
    // backupPath gives the protocol backup's path at each write.
    StartNumberBackup(TFrame1& lane1, TFrame1& lane2, RunControl& runs, std::function<QString()> backupPath,
                      QObject* parent = nullptr);

    static QString PathBeside(const QString& backupPath);
    void SetJournal(JournalFeed* journal) { journal_ = journal; }

    // Written once the running command is done, on a writer thread (its
    // flush to the disk takes milliseconds); a write not yet started gives
    // way to a newer one.
    void Schedule();
    // Blocks until the writer thread is done.
    void WaitForWrites() { writer_.waitForDone(); }
    // Writes at once on this thread (at exit), after the writer's last one.
    bool WriteNow();
    // Puts back the numbers kept beside the backup that was read at start
    // (it may be the per-user copy); a missing or damaged file leaves the
    // lanes as they are. True when numbers were restored.
    bool Restore(const QString& backupRead);

private:
    LaneNumbers Current() const;
    void HandOver();

    TFrame1* lanes_[2];
    RunControl& runs_;
    std::function<QString()> backupPath_;
    JournalFeed* journal_ = nullptr;
    QTimer timer_;
    // The number of the newest write; an older one not yet started is skipped.
    std::shared_ptr<std::atomic<quint64>> newest_ = std::make_shared<std::atomic<quint64>>(0);
    // One thread, so the writes land in order.
    QThreadPool writer_;
};
