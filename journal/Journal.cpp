#include "Journal.h"

#include "Clock.h"
#include "ProtocolFile.h"
#include "TextCodec.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>
#include <QStandardPaths>

#include <algorithm>
#include <cerrno>
#include <optional>
#include <tuple>
#include <sys/stat.h>
#include <utility>
#include <vector>

namespace {

const QString kDayFilePattern = QStringLiteral("Journal-*.txt");
const QString kSnapshotPattern = QStringLiteral("Vor-*.txt");

// The errno of the failed call tells most (a full disk above all); Qt's
// error class is the fallback.
QString FileErrorText(QFileDevice::FileError error, int errnoValue)
{
    if (errnoValue != 0)
        return WriteErrorText(errnoValue);
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

// The moment a snapshot name tells, as a key that sorts in time order.
// Read from the digits alone: a conversion to a local date and time asks the
// C library for the time zone, which stats /etc/localtime each time, and a
// full folder has hundreds of names to read at every snapshot.
struct SnapshotKey
{
    QString stamp; // fixed width, so text order is time order
    int number = 0; // same-second snapshots are told apart by their number
    bool operator<(const SnapshotKey& other) const
    {
        return std::tie(stamp, number) < std::tie(other.stamp, other.number);
    }
};

std::optional<SnapshotKey> SnapshotKeyOf(const QString& name)
{
    static const QRegularExpression stamp(QStringLiteral(
        "-((\\d{4})-(\\d\\d)-(\\d\\d)-(\\d\\d)-(\\d\\d)-(\\d\\d))(?:-(\\d+))?\\.txt$"));
    const QRegularExpressionMatch m = stamp.match(name);
    if (!m.hasMatch())
        return std::nullopt;
    auto part = [&m](int n) { return m.capturedView(n).toInt(); };
    if (!QDate::isValid(part(2), part(3), part(4)) || !QTime::isValid(part(5), part(6), part(7)))
        return std::nullopt;
    return SnapshotKey{m.captured(1), m.capturedView(8).toInt()};
}

} // namespace

Journal::Journal(const QString& folder, const Clock& clock, QObject* parent)
    : QObject(parent)
    , folder_(folder)
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

QString Journal::RefusalText(const QString& command, const QString& why)
{
    return QStringLiteral("„%1“ nicht ausgeführt: der Schnappschuss des Protokolls lässt sich nicht speichern (%2).\n"
                          "Das Protokoll bleibt, wie es ist. Bitte Platz schaffen oder den Journalordner prüfen "
                          "und den Befehl dann wiederholen.")
        .arg(command, why);
}

void Journal::Record(const QString& what)
{
    Record(clock_.TickCount(), what);
}

void Journal::Record(std::uint32_t tick, const QString& what)
{
    const QDateTime now = clock_.LocalNow();
    // Lines written into a deleted file would be lost at exit.
    const bool vanished = file_.isOpen() && !StillLinked();
    if (vanished)
        file_.close();
    if ((!file_.isOpen() || now.date() != day_) && !OpenDay(now.date()))
        return;
    const QString stamp = now.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz")) + QStringLiteral("  Tick ") +
                          QString::number(tick) + QStringLiteral("  ");
    QByteArray line;
    if (needsNewLine_)
        line += '\n';
    if (vanished) {
        line += (stamp + QStringLiteral("Journal war gelöscht, hier neu begonnen")).toUtf8() + '\n';
        SetFailure(VanishedPart, QStringLiteral("Journal war gelöscht und ist neu angelegt; die Einträge davor "
                                                "fehlen (") + QDir::toNativeSeparators(folder_) + QLatin1Char(')'));
    }
    line += (stamp + what).toUtf8();
    line += '\n';
    // Flushed at once: a crash may cut this line, never an earlier one.
    errno = 0;
    if (file_.write(line) != line.size() || !file_.flush()) {
        const QString reason = FileErrorText(file_.error(), errno);
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
    errno = 0;
    if (!file_.open(QIODevice::WriteOnly | QIODevice::Append)) {
        Failed(JournalPart, FileErrorText(file_.error(), errno));
        return false;
    }
    day_ = day;
    if (newDay)
        PruneJournalDays(day);
    return true;
}

bool Journal::StillLinked() const
{
    struct stat st {};
    return ::fstat(file_.handle(), &st) != 0 || st.st_nlink > 0;
}

bool Journal::Snapshot(const QString& command, const ProtocolRows& rows, QString* error, QString* kept)
{
    if (!HasRuns(rows))
        return true;
    return WriteSnapshot(command, ProtocolTextBytes(rows), error, kept);
}

bool Journal::KeepBytes(const QString& command, const QByteArray& bytes, QString* kept)
{
    return WriteSnapshot(command, bytes, nullptr, kept);
}

bool Journal::WriteSnapshot(const QString& command, const QByteArray& bytes, QString* error, QString* kept)
{
    const QString name = SnapshotName(command, clock_.LocalNow());
    QString path = folder_ + QLatin1Char('/') + name;
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = folder_ + QLatin1Char('/') + name.chopped(4) + QStringLiteral("-%1.txt").arg(n);

    QString reason;
    if (!QDir().mkpath(folder_))
        reason = QStringLiteral("Ordner lässt sich nicht anlegen");
    else if (!WriteFileAtomically(path, bytes, &reason) && reason.isEmpty())
        reason = QStringLiteral("Schreibfehler");
    if (!reason.isEmpty()) {
        Failed(SnapshotPart, reason);
        if (error)
            *error = reason;
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
    std::vector<std::pair<SnapshotKey, QString>> snapshots;
    for (const QString& name : dir.entryList({kSnapshotPattern}, QDir::Files, QDir::Unsorted)) {
        if (std::optional<SnapshotKey> key = SnapshotKeyOf(name))
            snapshots.emplace_back(std::move(*key), name);
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
    QStringList shown;
    for (const QString& failure : failure_) {
        if (!failure.isEmpty())
            shown << failure;
    }
    return shown.join(QLatin1Char('\n'));
}

void Journal::SetFailure(Part part, const QString& text)
{
    if (failure_[part] == text)
        return;
    const QString before = Notice();
    failure_[part] = text;
    // Each failure is told once, when it begins, changes or ends; a
    // failure already shown never hides a later one.
    if (Notice() != before)
        Q_EMIT NoticeChanged(Notice());
}

void Journal::Failed(Part part, const QString& reason)
{
    SetFailure(part, (part == JournalPart ? QStringLiteral("Journal wird nicht geschrieben: ")
                                          : QStringLiteral("Schnappschuss nicht gespeichert: ")) +
                         reason + QStringLiteral(" (") + QDir::toNativeSeparators(folder_) + QLatin1Char(')'));
}

void Journal::Succeeded(Part part)
{
    SetFailure(part, QString());
}
