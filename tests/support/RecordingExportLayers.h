#pragma once

#include "DesktopShell.h"
#include "Spreadsheet.h"
#include "WordProcessor.h"

#include <QCursor>
#include <QGuiApplication>
#include <QStringList>
#include <functional>

// Remembers the shell verbs the program ran.
class RecordingDesktopShell final : public DesktopShell
{
public:
    bool Open(const QString& path) override
    {
        calls.append(QStringLiteral("open ") + path);
        return opens;
    }
    Printed PrintPage(const QString& htmlPath) override
    {
        calls.append(QStringLiteral("print ") + htmlPath);
        return printed;
    }
    void OpenAddress(const QString& url) override { calls.append(QStringLiteral("address ") + url); }
    QStringList calls;
    bool opens = true;                   // a program takes every file
    Printed printed = Printed::Yes;
};

// Remembers the word processor's calls in order ("FileOpen", ...) with what
// they were given; failAt names the call that fails. Each call also notes
// whether the wait cursor was showing.
class RecordingWordProcessor final : public WordProcessor
{
public:
    bool FileOpen(const QString& templatePath, const QString& title) override
    {
        return Record(QStringLiteral("FileOpen"), templatePath + u'|' + title);
    }
    bool Insert(const QString& text) override { return Record(QStringLiteral("Insert"), text); }
    bool TextToTable(int numColumns) override
    {
        return Record(QStringLiteral("TextToTable"), QString::number(numColumns));
    }
    bool FileSaveAs(const QString& path) override
    {
        if (!Record(QStringLiteral("FileSaveAs"), path))
            return false;
        savedPath = QStringLiteral("/Dokumente/") + path;
        return true;
    }
    QString SavedPath() const override { return savedPath; }
    bool ShowDocument() override { return Record(QStringLiteral("ShowDocument"), {}) && shows; }
    void AppClose() override { Record(QStringLiteral("AppClose"), {}); }

    QStringList calls;
    QStringList arguments;
    QString savedPath;
    QString failAt;
    bool shows = true;
    bool cursorAlwaysWaiting = true;

private:
    bool Record(const QString& call, const QString& argument)
    {
        calls.append(call);
        arguments.append(argument);
        const QCursor* cursor = QGuiApplication::overrideCursor();
        cursorAlwaysWaiting = cursorAlwaysWaiting && cursor && cursor->shape() == Qt::WaitCursor;
        return call != failAt;
    }
};

// Remembers the workbook the program built: cells as "row,column=text".
class RecordingSpreadsheet final : public Spreadsheet
{
public:
    bool Connect() override
    {
        calls.append(QStringLiteral("Connect"));
        return available;
    }
    void NewWorkbook(const QString& title) override { calls.append(QStringLiteral("NewWorkbook ") + title); }
    void SetCell(int row, int column, const QString& text) override
    {
        cells.append(QStringLiteral("%1,%2=%3").arg(row).arg(column).arg(text));
    }
    void SetRunTime(int row, int column, std::int32_t ms, const QString& text) override
    {
        cells.append(QStringLiteral("%1,%2=%3 ms (%4)").arg(row).arg(column).arg(ms).arg(text));
    }
    void AutoFitColumns() override { calls.append(QStringLiteral("AutoFitColumns")); }
    Shown ShowWorkbook() override
    {
        calls.append(QStringLiteral("ShowWorkbook"));
        return shown;
    }
    QString WorkbookFile() const override { return QStringLiteral("/run/ravolt/Zeitenprotokoll-a1b2c3.xlsx"); }
    bool available = true;
    Shown shown = Shown::Yes;
    QStringList calls;
    QStringList cells;
};
