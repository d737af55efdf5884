#include "StartupPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QMimeDatabase>
#include <QStandardPaths>
#include <QTextStream>

namespace {

QString IfExists(const QString& path)
{
    return QFileInfo::exists(path) ? path : QString();
}

// A file the program brings: beside the program as built, or in the share
// folder of the prefix it was installed into (bin/../share/ravolt).
QString DataFile(const QString& programDir, const QString& name)
{
    const QString beside = programDir + name;
    const QString shared = QDir::cleanPath(programDir + QStringLiteral("../share/ravolt/") + name);
    return !QFileInfo::exists(beside) && QFileInfo::exists(shared) ? shared : beside;
}

} // namespace

StartupPaths StartupPaths::ForProgram(const QString& programFile, const QString& title, const QString& userDataDir)
{
    const QFileInfo program(programFile);
    StartupPaths p;
    p.ProgramDir = program.absolutePath() + QLatin1Char('/');
    p.BaseName = program.completeBaseName();
    p.StopSoundPath = IfExists(DataFile(p.ProgramDir, QStringLiteral("stopp.wav")));
    p.StartSoundPath = IfExists(DataFile(p.ProgramDir, QStringLiteral("start.wav")));
    // Not BaseName + ".html": that is the web page the protocol export writes
    // into the current folder, which may well be this one.
    p.HelpFilePath = DataFile(p.ProgramDir, p.BaseName + QStringLiteral("-hilfe.html"));
    p.WordTemplatePath = DataFile(p.ProgramDir, QStringLiteral("Protokollvorlage.doc"));

    const QString backupName = title + QStringLiteral("-Sicherungsdatei.txt");
    const QFileInfo folder(program.absolutePath());
    p.BackupFallbackName = QDir(userDataDir).filePath(backupName);
    if (folder.isDir() && folder.isWritable()) {
        p.BackupFileName = p.ProgramDir + backupName;
    } else {
        QDir().mkpath(userDataDir);
        p.BackupFileName = p.BackupFallbackName;
    }
    return p;
}

QString StartupPaths::BackupToRead() const
{
    const QFileInfo usual(BackupFileName);
    const QFileInfo fallback(BackupFallbackName);
    if (BackupFallbackName.isEmpty() || !fallback.isFile())
        return BackupFileName;
    // A backup written to the fallback after the usual one failed is newer.
    if (!usual.isFile() || fallback.lastModified() > usual.lastModified())
        return BackupFallbackName;
    return BackupFileName;
}

StartupPaths StartupPaths::ForThisProgram(const QString& title)
{
    return ForProgram(QCoreApplication::applicationFilePath(), title,
                      QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
}

void StartupPaths::ReadFileTypeNames()
{
    // The comments follow the default locale; the desk speaks German
    // whatever the system's language.
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const QMimeDatabase db;
    const auto name = [&db](const char* mimeType, QString& field) {
        const QMimeType type = db.mimeTypeForName(QLatin1String(mimeType));
        if (type.isValid() && !type.comment().isEmpty())
            field = type.comment();
    };
    name("text/plain", TextTypeName);
    name("application/msword", WordTypeName);
    name("text/html", WebTypeName);
    QLocale::setDefault(before);
}

void PrintStartupPaths(const StartupPaths& paths)
{
    QTextStream out(stdout);
    out << "start=" << paths.StartSoundPath << '\n'
        << "stopp=" << paths.StopSoundPath << '\n'
        << "help=" << paths.HelpFilePath << '\n'
        << "template=" << paths.WordTemplatePath << '\n'
        << "backup=" << paths.BackupFileName << '\n';
}
