#include "BookFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>

namespace BookFiles {
namespace {

const QString kSuffix = QStringLiteral(".ravolt");
const QString kLastEventFile = QStringLiteral("zuletzt.txt");

QStringList Companions(const QString& path)
{
    return {path, path + QStringLiteral("-wal"), path + QStringLiteral("-shm")};
}

QString SafeTitle(const QString& title)
{
    QString safe;
    for (const QChar c : title.simplified()) {
        // Forbidden on Windows file systems (a USB stick), or a path separator.
        if (c.unicode() < 0x20 || QStringLiteral("/\\:*?\"<>|").contains(c))
            safe += QLatin1Char('_');
        else
            safe += c;
    }
    // A leading dot hides the file; a trailing dot or space is dropped on Windows file systems.
    while (safe.startsWith(QLatin1Char('.')))
        safe.remove(0, 1);
    safe = safe.left(80);
    while (safe.endsWith(QLatin1Char('.')) || safe.endsWith(QLatin1Char(' ')))
        safe.chop(1);
    return safe.isEmpty() ? QStringLiteral("Veranstaltung") : safe;
}

} // namespace

QString Folder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/Veranstaltungen");
}

QString FileNameFor(const QDate& date, const QString& title)
{
    return date.toString(Qt::ISODate) + QLatin1Char('-') + SafeTitle(title) + kSuffix;
}

QString NewPath(const QString& folder, const QDate& date, const QString& title)
{
    const QString base = QDir(folder).filePath(FileNameFor(date, title));
    const auto taken = [](const QString& path) {
        const QStringList files = Companions(path);
        return std::any_of(files.cbegin(), files.cend(), [](const QString& p) { return QFileInfo::exists(p); });
    };
    QString path = base;
    for (int n = 2; taken(path); ++n)
        path = base.chopped(kSuffix.size()) + QStringLiteral(" (%1)").arg(n) + kSuffix;
    return path;
}

QString SetAside(const QString& path, const QString& why)
{
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString aside = path + QLatin1Char('.') + why + QLatin1Char('-') + stamp;
    for (int n = 2; QFileInfo::exists(aside); ++n)
        aside = path + QLatin1Char('.') + why + QLatin1Char('-') + stamp + QStringLiteral("-%1").arg(n);
    if (!QFile::rename(path, aside))
        return QString();
    // Its journal goes with it: applied to another file it would corrupt that.
    for (const QString& suffix : {QStringLiteral("-wal"), QStringLiteral("-shm")}) {
        if (QFileInfo::exists(path + suffix))
            QFile::rename(path + suffix, aside + suffix);
    }
    return aside;
}

void SetAsideLeftovers(const QString& path)
{
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    for (const QString& suffix : {QStringLiteral("-wal"), QStringLiteral("-shm")}) {
        if (QFileInfo::exists(path + suffix))
            QFile::rename(path + suffix, path + QStringLiteral(".verwaist-") + stamp + suffix);
    }
}

QString LastEvent(const QString& folder)
{
    QFile file(QDir(folder).filePath(kLastEventFile));
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    const QString name = QString::fromUtf8(file.readAll()).trimmed();
    // Only a book in this folder: the file holds a name, never a path.
    if (name.isEmpty() || name.contains(QLatin1Char('/')) || name == QLatin1String(".."))
        return QString();
    return QDir(folder).filePath(name);
}

bool RememberLastEvent(const QString& path)
{
    const QFileInfo info(path);
    QSaveFile file(info.dir().filePath(kLastEventFile));
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(info.fileName().toUtf8() + '\n');
    return file.commit();
}

QVector<BookInfo> List(const QString& folder)
{
    QVector<BookInfo> books;
    const QFileInfoList files = QDir(folder).entryInfoList({QStringLiteral("*") + kSuffix}, QDir::Files);
    for (const QFileInfo& file : files)
        books.push_back({file.absoluteFilePath(), file.completeBaseName(), file.lastModified()});
    std::sort(books.begin(), books.end(),
              [](const BookInfo& a, const BookInfo& b) { return a.modified > b.modified; });
    return books;
}

} // namespace BookFiles
