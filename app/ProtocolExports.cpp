#include "ProtocolExports.h"

#include "Clock.h"
#include "ExportTexts.h"
#include "HtmlPage.h"
#include "JournalFeed.h"
#include "ProtocolFile.h"
#include "ProtocolFileCommands.h"
#include "ProtocolModel.h"
#include "QtDesktopShell.h"
#include "RtfWordProcessor.h"
#include "TExcel.h"
#include "XlsxSpreadsheet.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QToolButton>
#include <QMessageBox>
#include <QStandardPaths>
#include <QVariant>

namespace {

// The hourglass while an export runs; back to normal on every way out.
class WaitCursor
{
public:
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

QString DocumentsFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}

// Per user, emptied at logout: the workbook is the operator's to save.
QString PrivateTemporaryFolder()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation)).filePath(QStringLiteral("ravolt"));
}

} // namespace

ProtocolExports::ProtocolExports(ProtocolExportParts parts, QWidget* window)
    : QObject(window)
    , parts_(std::move(parts))
    , window_(window)
{
    if (!parts_.clock)
        parts_.clock = &Clock::System();
    if (!parts_.shell) {
        ownShell_ = std::make_unique<QtDesktopShell>();
        parts_.shell = ownShell_.get();
    }
    if (!parts_.word) {
        ownWord_ = std::make_unique<RtfWordProcessor>(*parts_.shell, DocumentsFolder());
        parts_.word = ownWord_.get();
    }
    if (!parts_.spreadsheet) {
        ownSpreadsheet_ = std::make_unique<XlsxSpreadsheet>(*parts_.shell, PrivateTemporaryFolder());
        parts_.spreadsheet = ownSpreadsheet_.get();
    }
    if (!parts_.showError) {
        parts_.showError = [this](const QString& message) {
            QMessageBox::critical(window_, parts_.title, message);
        };
    }
    if (!parts_.showNotice) {
        parts_.showNotice = [this](const QString& message) {
            QMessageBox::warning(window_, parts_.title, message);
        };
    }
}

ProtocolExports::~ProtocolExports() = default;

void ProtocolExports::ShowWriteError(const QString& path)
{
    parts_.showError(QStringLiteral("Der Schreibfehler der Datei: ") + path);
}

bool ProtocolExports::WriteHtmlPage(const QString& path)
{
    // The page button writes into the current folder: the journal names it.
    const QString where = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
    if (::WriteHtmlPage(path, parts_.rows(), parts_.title)) {
        Record(QStringLiteral("Webseite geschrieben: ") + where);
        return true;
    }
    Record(QStringLiteral("Webseite fehlgeschlagen: ") + where);
    ShowWriteError(path);
    return false;
}

void ProtocolExports::sbInetClick(QObject* sender)
{
    const QString path = parts_.pageFile;
    WriteHtmlPage(path);
    // An older page of that name is still opened or printed.
    if (!QFileInfo(path).isFile())
        return;
    if (sender && sender->property("Tag").toInt() == 1)
        PrintPage(path);
    else if (!parts_.shell->Open(path))
        TellNotShown(QStringLiteral("Webseite nicht angezeigt, kein Programm dafür: "),
                     QStringLiteral("Die Webseite wurde nicht angezeigt: Es ist kein Programm dafür eingerichtet.\n"
                                    "Sie liegt unter: "),
                     path);
}

void ProtocolExports::PrintPage(const QString& path)
{
    const QString where = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
    switch (parts_.shell->PrintPage(path)) {
    case DesktopShell::Printed::Yes:
        Record(QStringLiteral("Webseite an den Drucker gegeben: ") + where);
        return;
    case DesktopShell::Printed::NoPrinter:
        TellNotShown(QStringLiteral("Webseite nicht gedruckt, kein Drucker eingerichtet: "),
                     QStringLiteral("Die Seite wurde nicht gedruckt: Es ist kein Drucker eingerichtet.\n"
                                    "Die Webseite liegt unter: "),
                     path);
        return;
    case DesktopShell::Printed::Refused:
        TellNotShown(QStringLiteral("Webseite nicht gedruckt, der Drucker nahm sie nicht an: "),
                     QStringLiteral("Die Seite wurde nicht gedruckt: Der Drucker hat den Auftrag nicht angenommen.\n"
                                    "Die Webseite liegt unter: "),
                     path);
        return;
    }
}

// The file is there, only nothing showed or printed it: the operator learns
// where it lies, the journal what really happened.
void ProtocolExports::TellNotShown(const QString& journal, const QString& message, const QString& path)
{
    const QString where = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
    Record(journal + where);
    parts_.showNotice(message + where);
}

void ProtocolExports::ExportToWord(WordMode mode, const QString& path)
{
    bool saved = false;
    bool shown = true;
    {
        const WaitCursor wait;
        WordProcessor& word = *parts_.word;
        // A missing or damaged template ends the export silently.
        if (!word.FileOpen(parts_.templatePath, parts_.title) || !word.Insert(WordExportText(parts_.rows())) ||
            !word.TextToTable(6))
            return;
        saved = word.FileSaveAs(path);
        if (saved && mode == WordMode::Show)
            shown = word.ShowDocument();
        else
            word.AppClose();
    }
    // Nobody may believe a protocol saved that is not; a saved one is named
    // where it really is (a bare name goes to the documents folder).
    Record(saved ? QStringLiteral("Word-Dokument gespeichert: ") + QDir::toNativeSeparators(parts_.word->SavedPath())
                 : QStringLiteral("Word-Dokument fehlgeschlagen: ") + QDir::toNativeSeparators(path));
    if (!saved)
        ShowWriteError(path);
    else if (!shown)
        TellNotShown(QStringLiteral("Word-Dokument nicht angezeigt, kein Programm dafür: "),
                     QStringLiteral("Das Dokument ist gespeichert, aber kein Programm hat es geöffnet.\n"
                                    "Es liegt unter: "),
                     parts_.word->SavedPath());
}

void ProtocolExports::sbWordClick()
{
    ExportToWord(WordMode::Show, TimeStampName(parts_.clock->LocalNow()) + QStringLiteral(".doc"));
}

void ProtocolExports::sbExcelClick()
{
    TExcel excel(*parts_.spreadsheet, this);
    excel.Title = QStringLiteral("Zeitenprotokoll ") + parts_.title;
    if (!excel.Connect())
        return;
    excel.NewWorkbook();
    // Every run time of the column is a number, shown as the protocol writes it.
    excel.RunTimeEntry = ProtocolModel::ColZeit;
    for (const ProtocolRow& row : parts_.rows()) {
        excel.Values.clear();
        for (int c = 0; c < int(row.size()); ++c)
            excel.Values.append(c == ProtocolModel::ColZeit ? row[c] : SpreadsheetCellText(row[c]));
        excel.WriteLine();
    }
    excel.AutoFitColumns();
    // The workbook is shown, not kept: the journal names no file, unless
    // nothing showed it.
    switch (excel.ShowWorkbook()) {
    case Spreadsheet::Shown::Yes:
        Record(QStringLiteral("Tabelle an die Tabellenkalkulation übergeben"));
        break;
    case Spreadsheet::Shown::NoProgram:
        TellNotShown(QStringLiteral("Tabelle nicht angezeigt, kein Programm dafür: "),
                     QStringLiteral("Die Tabelle wurde nicht geöffnet: Es ist kein Programm für Tabellen "
                                    "eingerichtet.\nSie liegt bis zum Abmelden unter: "),
                     parts_.spreadsheet->WorkbookFile());
        break;
    case Spreadsheet::Shown::NotWritten:
        Record(QStringLiteral("Tabelle konnte nicht gezeigt werden"));
        break;
    }
}

void ProtocolExports::Record(const QString& what)
{
    if (journal_)
        journal_->Record(what);
}

void ProtocolExports::Attach(QToolButton* sbInet, QToolButton* sbPrint, QToolButton* sbWord, QToolButton* sbExcel)
{
    // The Tag tells the page's two uses apart: 0 shows it, 1 prints it.
    sbInet->setProperty("Tag", 0);
    sbPrint->setProperty("Tag", 1);
    connect(sbInet, &QToolButton::clicked, this, [this, sbInet] { sbInetClick(sbInet); });
    connect(sbPrint, &QToolButton::clicked, this, [this, sbPrint] { sbInetClick(sbPrint); });
    connect(sbWord, &QToolButton::clicked, this, &ProtocolExports::sbWordClick);
    connect(sbExcel, &QToolButton::clicked, this, &ProtocolExports::sbExcelClick);
}

void ProtocolExports::ServeSaveDialog(ProtocolFileCommands& files)
{
    files.ExportToWord = [this](const QString& path) {
        ExportToWord(WordMode::SaveAndClose, path);
        return true;
    };
    files.WriteHtmlPage = [this](const QString& path) { return WriteHtmlPage(path); };
}
