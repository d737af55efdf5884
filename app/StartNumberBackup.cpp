#include "StartNumberBackup.h"

#include "JournalFeed.h"
#include "RunControl.h"
#include "TFrame1.h"
#include "TextCodec.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QSpinBox>

namespace {

constexpr int kMaxNumber = 9999;
constexpr qint64 kMaxFileSize = 4096;

bool ValidNumber(int n)
{
    return n >= 1 && n <= kMaxNumber;
}

} // namespace

QByteArray LaneNumbers::Text() const
{
    QByteArray text = "Ravolt-Startnummern=1\n";
    for (int i = 0; i < 2; ++i) {
        text += QStringLiteral("Bahn%1=%2 %3 %4\n")
                    .arg(i + 1)
                    .arg(current[i])
                    .arg(next[i])
                    .arg(showsResult[i] ? 1 : 0)
                    .toLatin1();
    }
    text += "LetzterStart=" + QByteArray::number(lastStartLane) + '\n';
    return text;
}

std::optional<LaneNumbers> LaneNumbers::Parse(const QByteArray& text)
{
    QMap<QByteArray, QList<QByteArray>> values;
    for (const QByteArray& line : text.split('\n')) {
        const qsizetype eq = line.indexOf('=');
        if (eq > 0)
            values.insert(line.left(eq).trimmed(), line.mid(eq + 1).simplified().split(' '));
    }
    if (values.value("Ravolt-Startnummern") != QList<QByteArray>{"1"})
        return std::nullopt;
    LaneNumbers numbers;
    for (int i = 0; i < 2; ++i) {
        const QList<QByteArray> lane = values.value("Bahn" + QByteArray::number(i + 1));
        if (lane.size() != 3)
            return std::nullopt;
        bool ok[3] = {false, false, false};
        numbers.current[i] = lane[0].toInt(&ok[0]);
        numbers.next[i] = lane[1].toInt(&ok[1]);
        const int flag = lane[2].toInt(&ok[2]);
        if (!ok[0] || !ok[1] || !ok[2] || !ValidNumber(numbers.current[i]) || !ValidNumber(numbers.next[i]) ||
            (flag != 0 && flag != 1))
            return std::nullopt;
        numbers.showsResult[i] = flag == 1;
    }
    const QList<QByteArray> last = values.value("LetzterStart");
    bool ok = false;
    numbers.lastStartLane = last.size() == 1 ? last[0].toInt(&ok) : -1;
    if (!ok || numbers.lastStartLane < 0 || numbers.lastStartLane > 2)
        return std::nullopt;
    return numbers;
}

StartNumberBackup::StartNumberBackup(TFrame1& lane1, TFrame1& lane2, RunControl& runs,
                                     std::function<QString()> backupPath, QObject* parent)
    : QObject(parent)
    , lanes_{&lane1, &lane2}
    , runs_(runs)
    , backupPath_(std::move(backupPath))
{
    // Written once the running command is done, like the protocol backup.
    timer_.setSingleShot(true);
    timer_.setInterval(0);
    connect(&timer_, &QTimer::timeout, this, &StartNumberBackup::HandOver);
    writer_.setMaxThreadCount(1);
    // As the protocol backup's writer: behind the port's worker and the desk.
    writer_.setThreadPriority(QThread::IdlePriority);
    for (TFrame1* lane : lanes_) {
        connect(lane->editStartN1, &QSpinBox::valueChanged, this, &StartNumberBackup::Schedule);
        connect(lane->editStartN2, &QSpinBox::valueChanged, this, &StartNumberBackup::Schedule);
    }
}

QString StartNumberBackup::PathBeside(const QString& backupPath)
{
    const QFileInfo backup(backupPath);
    return backup.absolutePath() + QLatin1Char('/') + backup.completeBaseName() + QStringLiteral(".startnummern");
}

void StartNumberBackup::Schedule()
{
    if (!timer_.isActive())
        timer_.start();
}

LaneNumbers StartNumberBackup::Current() const
{
    LaneNumbers numbers;
    for (int i = 0; i < 2; ++i) {
        numbers.current[i] = lanes_[i]->editStartN1->value();
        numbers.next[i] = lanes_[i]->editStartN2->value();
        numbers.showsResult[i] = lanes_[i]->ShowsResult();
    }
    numbers.lastStartLane = runs_.StartLane();
    return numbers;
}

void StartNumberBackup::HandOver()
{
    const quint64 number = ++*newest_;
    writer_.start([newest = newest_, number, path = PathBeside(backupPath_()), text = Current().Text()] {
        if (*newest == number)
            WriteFileAtomically(path, text);
    });
}

bool StartNumberBackup::WriteNow()
{
    timer_.stop();
    // Whatever the writer has not started is older than this write.
    ++*newest_;
    writer_.waitForDone();
    // A failure shows through the protocol backup's notice: both files go
    // to the same folder.
    return WriteFileAtomically(PathBeside(backupPath_()), Current().Text());
}

bool StartNumberBackup::Restore(const QString& backupRead)
{
    QFile file(PathBeside(backupRead));
    // Only a small regular file is read: never a pipe or a device.
    if (!QFileInfo(file).isFile() || file.size() > kMaxFileSize || !file.open(QIODevice::ReadOnly))
        return false;
    const std::optional<LaneNumbers> numbers = LaneNumbers::Parse(file.read(kMaxFileSize));
    if (!numbers) {
        if (journal_)
            journal_->Record(QStringLiteral("Startnummern-Sicherung unlesbar, Startnummern wie beim ersten Start: ") +
                             QDir::toNativeSeparators(file.fileName()));
        return false;
    }
    for (int i = 0; i < 2; ++i) {
        TFrame1* lane = lanes_[i];
        if (lane->Running())
            continue;
        const int step = runs_.RundenMode() ? 1 : 2;
        // The lane showed a result: after the restart its display is clear,
        // so it moves on as its reset would have.
        const int current = numbers->showsResult[i] ? numbers->next[i] : numbers->current[i];
        const int next = numbers->showsResult[i] ? std::min(numbers->next[i] + step, kMaxNumber) : numbers->next[i];
        lane->editStartN1->setValue(current);
        lane->editStartN2->setValue(next);
    }
    runs_.RestoreRotation(numbers->lastStartLane);
    if (journal_)
        journal_->Record(QStringLiteral("Startnummern wiederhergestellt: Bahn 1 Nr. %1 (bereit %2), Bahn 2 Nr. %3 (bereit %4)")
                             .arg(lanes_[0]->editStartN1->value())
                             .arg(lanes_[0]->editStartN2->value())
                             .arg(lanes_[1]->editStartN1->value())
                             .arg(lanes_[1]->editStartN2->value()));
    return true;
}
