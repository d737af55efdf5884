#include "StartupPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QMimeDatabase>
#include <QStandardPaths>

namespace {

QString IfExists(const QString& path)
{
    return QFileInfo::exists(path) ? path : QString();
}

} // namespace

StartupPaths StartupPaths::ForProgram(const QString& programFile, const QString& title, const QString& userDataDir)
{
    const QFileInfo program(programFile);
    StartupPaths p;
    p.ProgramDir = program.absolutePath() + QLatin1Char('/');
    p.BaseName = program.completeBaseName();
    p.StopSoundPath = IfExists(p.ProgramDir + QStringLiteral("stopp.wav"));
    p.StartSoundPath = IfExists(p.ProgramDir + QStringLiteral("start.wav"));
    p.HelpFilePath = p.ProgramDir + p.BaseName + QStringLiteral(".html");
    p.WordTemplatePath = p.ProgramDir + QStringLiteral("Protokollvorlage.doc");

    const QString backupName = title + QStringLiteral("-Sicherungsdatei.txt");
    const QFileInfo folder(program.absolutePath());
    if (folder.isDir() && folder.isWritable()) {
        p.BackupFileName = p.ProgramDir + backupName;
    } else {
        QDir().mkpath(userDataDir);
        p.BackupFileName = QDir(userDataDir).filePath(backupName);
    }
    return p;
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
