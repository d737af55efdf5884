#pragma once

#include "ProtocolRow.h"

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class Clock;
class DesktopShell;
class JournalFeed;
class Spreadsheet;
class WordProcessor;
class ProtocolFileCommands;
class QToolButton;
class QWidget;

// What the exports work with. Unset layers mean the real ones: the desktop
// shell, the RTF word processor (documents folder of the user) and the xlsx
// spreadsheet (private temporary folder of the user).
struct ProtocolExportParts
{
    std::function<ProtocolRows()> rows; // the whole protocol, header row first
    const Clock* clock = nullptr;       // for the proposed document name
    QString title;                      // the program title, named in every export
    QString pageFile;                   // the web page of sbInet/sbPrint
    QString templatePath;               // Protokollvorlage.doc beside the program
    DesktopShell* shell = nullptr;
    WordProcessor* word = nullptr;
    Spreadsheet* spreadsheet = nullptr;
    // Shows a message box with the error symbol and an OK button.
    std::function<void(const QString& message)> showError;
    // Shows a message box with the warning symbol and an OK button: a file
    // was written but nothing showed or printed it.
    std::function<void(const QString& message)> showNotice;
};

// The protocol leaves the program: as a web page (to open or print), as a
// word-processor document and as a spreadsheet. The handlers of the four
// protocol buttons and the save dialog's document and page types.
class ProtocolExports : public QObject
{
    Q_OBJECT

public:
    enum class WordMode { Show, SaveAndClose };

    ProtocolExports(ProtocolExportParts parts, QWidget* window);
    ~ProtocolExports() override;

    // Each export written goes to the journal with its file; null for none.
    void SetJournal(JournalFeed* journal) { journal_ = journal; }

    // False after the operator was told "Der Schreibfehler der Datei: ".
    bool WriteHtmlPage(const QString& path);
    // sbInet (tag 0) opens the page, sbPrint (tag 1) prints it.
    // The protocol strip's export buttons run these commands.
    void Attach(QToolButton* sbInet, QToolButton* sbPrint, QToolButton* sbWord, QToolButton* sbExcel);
    // The save dialog's document and web-page types are written here, and
    // report their own failures.
    void ServeSaveDialog(ProtocolFileCommands& files);
    void sbInetClick(QObject* sender);
    void ExportToWord(WordMode mode, const QString& path);
    void sbWordClick();
    void sbExcelClick();
    // The program's one desktop shell (the logo link opens through it too).
    DesktopShell& Shell() const { return *parts_.shell; }

private:
    void ShowWriteError(const QString& path);
    void PrintPage(const QString& path);
    void TellNotShown(const QString& journal, const QString& message, const QString& path);
    void Record(const QString& what);

    ProtocolExportParts parts_;
    QWidget* window_;
    JournalFeed* journal_ = nullptr;
    std::unique_ptr<DesktopShell> ownShell_;
    std::unique_ptr<WordProcessor> ownWord_;
    std::unique_ptr<Spreadsheet> ownSpreadsheet_;
};
