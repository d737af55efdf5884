#pragma once

#include <QString>
#include <cstdint>

// Where the program finds what lives beside it, and the names it shows for
// file types; computed once at start-up and held by the main window.
struct StartupPaths
{
    QString ProgramDir;        // ends with '/'
    QString BaseName;          // program file name without folder and extension
    QString StartSoundPath;    // empty when "start.wav" was missing at start-up
    QString StopSoundPath;     // empty when "stopp.wav" was missing at start-up
    QString HelpFilePath;
    QString WordTemplatePath;
    QString BackupFileName;
    // Where the backup goes when BackupFileName cannot be written.
    QString BackupFallbackName;
    QString TextTypeName = QStringLiteral("Textdatei");
    QString WordTypeName = QStringLiteral("MS Word");
    QString WebTypeName = QStringLiteral("Webseite");

    // The paths for the program file programFile with the program title.
    // The backup goes to userDataDir (created when needed) when the program
    // folder cannot be written, so an installed program still keeps it.
    static StartupPaths ForProgram(const QString& programFile, const QString& title, const QString& userDataDir);
    // The running program's paths; the per-user folder is the application's
    // data location.
    static StartupPaths ForThisProgram(const QString& title);

    // The backup the start restores: of BackupFileName and its fallback,
    // the one written last among those that are regular files; the usual
    // place when neither is.
    QString BackupToRead() const;

    // The German names of the text, word-processor and web-page types from
    // the MIME database; the fallbacks stay where it has none.
    void ReadFileTypeNames();
};

// One "name=path" line per file the program looks for, on standard output.
void PrintStartupPaths(const StartupPaths& paths);
