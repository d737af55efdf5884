#include "ProtocolFileCommands.h"

#include "Clock.h"
#include "Journal.h"
#include "ProtocolFile.h"
#include "ProtocolTable.h"
#include "RunControl.h"
#include "TFrame1.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace {

QString Filter(const QString& name, const char* extension)
{
    return name + QStringLiteral(" (*.") + QLatin1String(extension) + QLatin1Char(')');
}

const char* Extension(int type)
{
    switch (type) {
    case ProtocolFileCommands::WordDocument:
        return "doc";
    case ProtocolFileCommands::WebPage:
        return "html";
    default:
        return "txt";
    }
}

} // namespace

ProtocolFileCommands::ProtocolFileCommands(ProtocolTable& protocol, RunControl& runs, TFrame1& lane2,
                                           const Clock& clock, QWidget* dialogParent)
    : QObject(dialogParent)
    , protocol_(protocol)
    , runs_(runs)
    , lane2_(lane2)
    , clock_(clock)
    , dialogParent_(dialogParent)
{
    OpenDialog1 = new QFileDialog(dialogParent);
    OpenDialog1->setObjectName(QStringLiteral("OpenDialog1"));
    OpenDialog1->setAcceptMode(QFileDialog::AcceptOpen);
    OpenDialog1->setFileMode(QFileDialog::ExistingFile);
    OpenDialog1->setOption(QFileDialog::ReadOnly, false);

    SaveDialog1 = new QFileDialog(dialogParent);
    SaveDialog1->setObjectName(QStringLiteral("SaveDialog1"));
    SaveDialog1->setAcceptMode(QFileDialog::AcceptSave);
    SaveDialog1->setFileMode(QFileDialog::AnyFile);
    // The protocol's own file is overwritten without a question.
    SaveDialog1->setOption(QFileDialog::DontConfirmOverwrite, true);

    SetTypeNames(QStringLiteral("Textdatei"), QStringLiteral("MS Word"), QStringLiteral("Webseite"));

    RunDialog = [](QFileDialog& dialog) { return dialog.exec() == QDialog::Accepted; };
    ShowMessage = [this](const QString& message) {
        QMessageBox::warning(dialogParent_, QCoreApplication::applicationName(), message);
    };
}

void ProtocolFileCommands::SetTypeNames(const QString& text, const QString& word, const QString& web)
{
    const int index = FilterIndex();
    OpenDialog1->setNameFilters({Filter(text, "txt")});
    SaveDialog1->setNameFilters({Filter(text, "txt"), Filter(word, "doc"), Filter(web, "html")});
    SetFilterIndex(index);
}

void ProtocolFileCommands::SetDirectory(const QString& folder)
{
    OpenDialog1->setDirectory(folder);
    SaveDialog1->setDirectory(folder);
}

void ProtocolFileCommands::SetFilterIndex(int index)
{
    const QStringList filters = SaveDialog1->nameFilters();
    if (index < 1 || index > filters.size())
        index = TextFile;
    SaveDialog1->selectNameFilter(filters.value(index - 1));
}

int ProtocolFileCommands::FilterIndex() const
{
    const int index = int(SaveDialog1->nameFilters().indexOf(SaveDialog1->selectedNameFilter()));
    return index < 0 ? int(TextFile) : index + 1;
}

QString ProtocolFileCommands::WithTypeExtension(const QString& path, int type)
{
    if (!QFileInfo(path).suffix().isEmpty())
        return path;
    return path + QLatin1Char('.') + QLatin1String(Extension(type));
}

void ProtocolFileCommands::sbSaveClick()
{
    SaveDialog1->selectFile(TimeStampName(clock_.LocalNow()));
    if (!RunDialog(*SaveDialog1))
        return;
    const QString chosen = SaveDialog1->selectedFiles().value(0);
    if (chosen.isEmpty())
        return;
    const int type = FilterIndex();
    const QString path = WithTypeExtension(chosen, type);
    QDir::setCurrent(QFileInfo(path).absolutePath());
    SaveAs(path, type);
}

void ProtocolFileCommands::SaveAs(const QString& path, int type)
{
    const auto export_ = [this, &path](const std::function<bool(const QString&)>& writer, const QString& what) {
        if (!writer)
            ShowMessage(what + QStringLiteral(" kann in dieser Version nicht gespeichert werden."));
        else
            writer(path);
    };
    switch (type) {
    case WordDocument:
        export_(ExportToWord, QStringLiteral("Ein Word-Dokument"));
        break;
    case WebPage:
        export_(WriteHtmlPage, QStringLiteral("Eine Webseite"));
        break;
    default:
        SaveText(path);
    }
}

void ProtocolFileCommands::SaveText(const QString& path)
{
    QString reason;
    if (!SaveProtocolText(path, protocol_.Rows(), &reason)) {
        Record(QStringLiteral("Protokoll nicht gespeichert: %1 (%2)").arg(QDir::toNativeSeparators(path), reason));
        ShowMessage(QStringLiteral("Speichern fehlgeschlagen: ") + reason);
        return;
    }
    Record(QStringLiteral("Protokoll gespeichert: ") + QDir::toNativeSeparators(path));
}

void ProtocolFileCommands::sbLoadClick()
{
    if (!RunDialog(*OpenDialog1))
        return;
    const QString path = OpenDialog1->selectedFiles().value(0);
    if (path.isEmpty())
        return;
    QDir::setCurrent(QFileInfo(path).absolutePath());
    LoadText(path);
}

bool ProtocolFileCommands::LoadText(const QString& path)
{
    // The journal lies beside the snapshots and is a text file too: read as
    // a protocol, its lines would replace the results.
    if (Journal::IsDayFileName(QFileInfo(path).fileName())) {
        ShowMessage(QStringLiteral("Das ist das Journal, kein Protokoll: %1\n"
                                   "Zum Zurückholen einen Schnappschuss „Vor-…“ öffnen.")
                        .arg(QDir::toNativeSeparators(path)));
        return false;
    }
    const LoadedProtocol loaded = LoadProtocolText(path);
    // A file that cannot be read must not cost the protocol on screen.
    if (!loaded.opened) {
        ShowMessage(QStringLiteral("Datei kann nicht geöffnet werden: ") + QDir::toNativeSeparators(path));
        return false;
    }
    Snapshot(QStringLiteral("Laden"));
    Apply(loaded);
    Record((loaded.complete ? QStringLiteral("Protokoll geöffnet: ")
                            : QStringLiteral("Protokoll nur teilweise geöffnet: ")) +
           QDir::toNativeSeparators(path));
    if (!loaded.complete)
        ShowMessage(QStringLiteral("Datei nur teilweise gelesen: ") + QDir::toNativeSeparators(path));
    return true;
}

bool ProtocolFileCommands::RestoreBackup(const QString& path)
{
    const LoadedProtocol loaded = LoadProtocolText(path);
    if (loaded.opened)
        Apply(loaded);
    // The next backup would replace a file that could not be read whole:
    // a copy keeps the event's results.
    if ((!loaded.opened || !loaded.complete) && QFileInfo::exists(path)) {
        const QFileInfo file(path);
        QFile::copy(path, file.absolutePath() + QLatin1Char('/') + file.completeBaseName() + QLatin1Char('-') +
                              TimeStampName(clock_.LocalNow()) + QStringLiteral(".txt"));
    }
    return loaded.opened;
}

void ProtocolFileCommands::Apply(const LoadedProtocol& loaded)
{
    protocol_.ReplaceRows(loaded.rows);
    // A file read only in part keeps its order: no ranking.
    if (!loaded.complete)
        return;
    runs_.RankProtocol();
    protocol_.UpdateProtocolCommands();
}

void ProtocolFileCommands::sbCLSClick()
{
    if (!Ask || !Ask(QStringLiteral("Zeitenprotokoll  löschen?")))
        return;
    Snapshot(QStringLiteral("Löschen"));
    protocol_.Clear();
    Record(QStringLiteral("Protokoll gelöscht"));
    protocol_.UpdateProtocolCommands();
    if (runs_.RundenMode())
        lane2_.ShowTime(0);
}

void ProtocolFileCommands::Record(const QString& what)
{
    if (journal_)
        journal_->Record(what);
}

void ProtocolFileCommands::Snapshot(const QString& command)
{
    if (journal_)
        journal_->Snapshot(command, protocol_.Rows());
}
