#include "Journal.h"

#include "Clock.h"
#include "ProtocolFile.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>

#include <algorithm>
#include <utility>
#include <vector>

namespace {

const QString kDayFilePattern = QStringLiteral("Journal-*.txt");
const QString kSnapshotPattern = QStringLiteral("Vor-*.txt");

QString FileErrorText(QFileDevice::FileError error)
{
    switch (error) {
    case QFileDevice::PermissionsError:
        return QStringLiteral("keine Schreibrechte");
    case QFileDevice::ResourceError:
        return QStringLiteral("Datenträger voll");
    case QFileDevice::OpenError:
        return QStringLiteral("Datei lässt sich nicht öffnen");
    default:
        return QStringLiteral("Schreibfehler");
    }
}

bool HasRuns(const ProtocolRows& rows)
{
    return std::any_of(rows.begin() + std::min<std::size_t>(1, rows.size()), rows.end(),
                       [](const ProtocolRow& row) { return !row[0].isEmpty(); });
}

// The moment a snapshot name tells, or an invalid time for other names.
QDateTime SnapshotTime(const QString& name)
{
    static const QRegularExpression stamp(
        QStringLiteral("-(\\d{4}-\\d\\d-\\d\\d-\\d\\d-\\d\\d-\\d\\d)(?:-(\\d+))?\\.txt$"));
    const QRegularExpressionMatch m = stamp.match(name);
    if (!m.hasMatch())
        return {};
    // Same-second snapshots are told apart by their number.
    return QDateTime::fromString(m.captured(1), QStringLiteral("yyyy-MM-dd-hh-mm-ss"))
        .addMSecs(m.captured(2).toInt());
}

} // namespace

Journal::Journal(const QString& folder, const Clock& clock)
    : folder_(folder)
    , clock_(clock)
{
}

QString Journal::DefaultFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/Journal");
}

QString Journal::DayFileName(const QDate& day) const
{
    return folder_ + QStringLiteral("/Journal-") + day.toString(QStringLiteral("yyyy-MM-dd")) +
           QStringLiteral(".txt");
}

bool Journal::IsDayFileName(const QString& fileName)
{
    return fileName.size() == 22 && fileName.startsWith(QStringLiteral("Journal-")) &&
           fileName.endsWith(QStringLiteral(".txt")) &&
           QDate::fromString(fileName.mid(8, 10), QStringLiteral("yyyy-MM-dd")).isValid();
}

QString Journal::SnapshotName(const QString& command, const QDateTime& when)
{
    QString name = command;
    name.replace(QRegularExpression(QStringLiteral("[\\s/\\\\:]+")), QStringLiteral("-"));
    return QStringLiteral("Vor-") + name + QLatin1Char('-') +
           when.toString(QStringLiteral("yyyy-MM-dd-hh-mm-ss")) + QStringLiteral(".txt");
}

void Journal::Record(const QString& what)
{
    Record(clock_.TickCount(), what);
}

void Journal::Record(std::uint32_t tick, const QString& what)
{
    const QDateTime now = clock_.LocalNow();
    if ((!file_.isOpen() || now.date() != day_) && !OpenDay(now.date()))
        return;
    QByteArray line;
    if (needsNewLine_)
        line += '\n';
    line += (now.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz")) + QStringLiteral("  Tick ") +
             QString::number(tick) + QStringLiteral("  ") + what)
                .toUtf8();
    line += '\n';
    // Flushed at once: a crash may cut this line, never an earlier one.
    if (file_.write(line) != line.size() || !file_.flush()) {
        const QString reason = FileErrorText(file_.error());
        file_.close();
        Failed(JournalPart, reason);
        return;
    }
    needsNewLine_ = false;
    Succeeded(JournalPart);
}

bool Journal::OpenDay(const QDate& day)
{
    file_.close();
    if (!QDir().mkpath(folder_)) {
        Failed(JournalPart, QStringLiteral("Ordner lässt sich nicht anlegen"));
        return false;
    }
    const bool newDay = day != day_;
    file_.setFileName(DayFileName(day));
    // A crash may have left the last line without its end; the next entry
    // starts on a line of its own.
    needsNewLine_ = false;
    if (file_.open(QIODevice::ReadOnly)) {
        if (file_.size() > 0 && file_.seek(file_.size() - 1)) {
            char last = '\n';
            needsNewLine_ = file_.getChar(&last) && last != '\n';
        }
        file_.close();
    }
    if (!file_.open(QIODevice::WriteOnly | QIODevice::Append)) {
        Failed(JournalPart, FileErrorText(file_.error()));
        return false;
    }
    day_ = day;
    if (newDay)
        PruneJournalDays(day);
    return true;
}

bool Journal::Snapshot(const QString& command, const ProtocolRows& rows, QString* kept)
{
    if (!HasRuns(rows))
        return true;
    const QString name = SnapshotName(command, clock_.LocalNow());
    QString path = folder_ + QLatin1Char('/') + name;
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = folder_ + QLatin1Char('/') + name.chopped(4) + QStringLiteral("-%1.txt").arg(n);

    QString error;
    if (!QDir().mkpath(folder_)) {
        Failed(SnapshotPart, QStringLiteral("Ordner lässt sich nicht anlegen"));
        return false;
    }
    if (!SaveProtocolText(path, rows, &error)) {
        Failed(SnapshotPart, error.isEmpty() ? QStringLiteral("Schreibfehler") : error);
        return false;
    }
    Succeeded(SnapshotPart);
    Record(QStringLiteral("Schnappschuss vor \"%1\": %2").arg(command, QFileInfo(path).fileName()));
    PruneSnapshots();
    if (kept)
        *kept = path;
    return true;
}

void Journal::Prune()
{
    PruneSnapshots();
    PruneJournalDays(clock_.LocalNow().date());
}

void Journal::PruneSnapshots()
{
    const QDir dir(folder_);
    std::vector<std::pair<QDateTime, QString>> snapshots;
    for (const QString& name : dir.entryList({kSnapshotPattern}, QDir::Files)) {
        const QDateTime when = SnapshotTime(name);
        if (when.isValid())
            snapshots.emplace_back(when, name);
    }
    if (snapshots.size() <= std::size_t(KeptSnapshots))
        return;
    std::sort(snapshots.begin(), snapshots.end());
    const std::size_t excess = snapshots.size() - KeptSnapshots;
    for (std::size_t i = 0; i < excess; ++i)
        QFile::remove(dir.filePath(snapshots[i].second));
}

void Journal::PruneJournalDays(const QDate& today)
{
    const QDate oldestKept = today.addDays(-(KeptJournalDays - 1));
    const QDir dir(folder_);
    for (const QString& name : dir.entryList({kDayFilePattern}, QDir::Files, QDir::Name)) {
        if (IsDayFileName(name) && QDate::fromString(name.mid(8, 10), QStringLiteral("yyyy-MM-dd")) < oldestKept)
            QFile::remove(dir.filePath(name));
    }
}

QString Journal::Notice() const
{
    for (const QString& failure : failure_) {
        if (!failure.isEmpty())
            return failure;
    }
    return {};
}

void Journal::Failed(Part part, const QString& reason)
{
    const QString before = Notice();
    failure_[part] = (part == JournalPart ? QStringLiteral("Journal wird nicht geschrieben: ")
                                          : QStringLiteral("Schnappschuss nicht gespeichert: ")) +
                     reason + QStringLiteral(" (") + QDir::toNativeSeparators(folder_) + QLatin1Char(')');
    // Once: a notice already shown stays until a write succeeds.
    if (before.isEmpty() && OnNotice)
        OnNotice(Notice());
}

void Journal::Succeeded(Part part)
{
    if (failure_[part].isEmpty())
        return;
    failure_[part].clear();
    if (OnNotice)
        OnNotice(Notice());
}
