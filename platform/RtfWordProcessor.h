#pragma once

#include "WordProcessor.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QList>

class DesktopShell;

// Builds the document from an RTF template, which every word processor
// opens. The template holds the insertion mark "[Protokoll]" in a paragraph
// of its own and may name the title with "[Titel]". The saved document is
// shown with the desktop's default application.
class RtfWordProcessor final : public WordProcessor
{
public:
    RtfWordProcessor(DesktopShell& shell, QString documentsFolder);

    bool FileOpen(const QString& templatePath, const QString& title) override;
    bool Insert(const QString& text) override;
    bool TextToTable(int numColumns) override;
    bool FileSaveAs(const QString& path) override;
    bool ShowDocument() override;
    void AppClose() override;

    // The saved document's full path.
    QString SavedPath() const override { return savedPath_; }

private:
    DesktopShell& shell_;
    QString documentsFolder_;
    bool open_ = false;
    QByteArray head_;
    QByteArray body_;
    QByteArray tail_;
    QString inserted_;
    QString savedPath_;
};

// The text of an RTF document: "\", "{" and "}" escaped, TAB and line breaks
// as RTF control words, characters beyond ASCII as \'xx or \uN escapes.
QByteArray RtfText(const QString& text);

// Splits TAB-separated lines (CR LF, LF or CR ended) into their fields, by
// the quoting of WordProcessor::TextToTable.
QList<QStringList> SplitTabText(const QString& text);
