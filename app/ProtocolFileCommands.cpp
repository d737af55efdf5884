#include "ProtocolFileCommands.h"

#include "Clock.h"
#include "Journal.h"
#include "ProtocolBackup.h"
#include "ProtocolFile.h"
#include "ProtocolModel.h"
#include "RunControl.h"
#include "TFrame1.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QToolButton>

namespace {

QString CutFieldsText(int count)
{
    return count == 1 ? QStringLiteral("1 Feld über %1 Zeichen gekürzt").arg(MaxProtocolFieldLength)
                      : QStringLiteral("%1 Felder über %2 Zeichen gekürzt").arg(count).arg(MaxProtocolFieldLength);
}

// A file as it is on the disk, within the reader's bound; false when it
// cannot be read.
bool FileStart(const QString& path, QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    bytes = file.read(MaxProtocolFileBytes);
    return file.error() == QFileDevice::NoError;
}

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

ProtocolFileCommands::ProtocolFileCommands(ProtocolModel& protocol, RunControl& runs, TFrame1& lane2,
                                           const Clock& clock, QWidget* dialogParent)
    : QObject(dialogParent)
    , protocol_(protocol)
    , runs_(runs)
    , lane2_(lane2)
    , clock_(clock)
    , dialogParent_(dialogParent)
{
    SetTypeNames(QStringLiteral("Textdatei"), QStringLiteral("MS Word"), QStringLiteral("Webseite"));

    RunDialog = [](QFileDialog& dialog) { return dialog.exec() == QDialog::Accepted; };
    ShowMessage = [this](const QString& message) {
        QMessageBox::warning(dialogParent_, QCoreApplication::applicationName(), message);
    };
}

void ProtocolFileCommands::SetTypeNames(const QString& text, const QString& word, const QString& web)
{
    openFilters_ = {Filter(text, "txt")};
    saveFilters_ = {Filter(text, "txt"), Filter(word, "doc"), Filter(web, "html")};
}

void ProtocolFileCommands::SetDirectory(const QString& folder)
{
    openFolder_ = folder;
    saveFolder_ = folder;
}

void ProtocolFileCommands::SetFilterIndex(int index)
{
    filterIndex_ = index < 1 || index > int(saveFilters_.size()) ? int(TextFile) : index;
}

int ProtocolFileCommands::FilterIndex() const
{
    return filterIndex_;
}

QString ProtocolFileCommands::WithTypeExtension(const QString& path, int type)
{
    if (!QFileInfo(path).suffix().isEmpty())
        return path;
    return path + QLatin1Char('.') + QLatin1String(Extension(type));
}

void ProtocolFileCommands::sbSaveClick()
{
    QFileDialog dialog(dialogParent_);
    dialog.setObjectName(QStringLiteral("SaveDialog1"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // The protocol's own file is overwritten without a question.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    dialog.setNameFilters(saveFilters_);
    dialog.selectNameFilter(saveFilters_.value(filterIndex_ - 1));
    dialog.setDirectory(saveFolder_);
    dialog.selectFile(TimeStampName(clock_.LocalNow()));
    const bool accepted = RunDialog(dialog);
    // The folder and the file type stay as the operator left them, even
    // when the dialog was cancelled.
    saveFolder_ = dialog.directory().absolutePath();
    SetFilterIndex(int(saveFilters_.indexOf(dialog.selectedNameFilter())) + 1);
    if (!accepted)
        return;
    const QString chosen = dialog.selectedFiles().value(0);
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
    QFileDialog dialog(dialogParent_);
    dialog.setObjectName(QStringLiteral("OpenDialog1"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(openFilters_);
    dialog.setDirectory(openFolder_);
    if (!lastOpened_.isEmpty())
        dialog.selectFile(lastOpened_);
    const bool accepted = RunDialog(dialog);
    openFolder_ = dialog.directory().absolutePath();
    if (!accepted)
        return;
    const QString path = dialog.selectedFiles().value(0);
    if (path.isEmpty())
        return;
    lastOpened_ = QFileInfo(path).fileName();
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
        ShowMessage(QStringLiteral("Datei kann nicht geöffnet werden: %1 (%2)")
                        .arg(QDir::toNativeSeparators(path), loaded.error));
        return false;
    }
    if (!Snapshot(QStringLiteral("Laden")))
        return false;
    Apply(loaded);
    Record((loaded.complete ? QStringLiteral("Protokoll geöffnet: ")
                            : QStringLiteral("Protokoll nur teilweise geöffnet: ")) +
           QDir::toNativeSeparators(path));
    if (!loaded.complete)
        ShowMessage(QStringLiteral("Datei nur teilweise gelesen: ") + QDir::toNativeSeparators(path));
    else if (loaded.cutFields > 0)
        ShowMessage(CutFieldsText(loaded.cutFields) + QStringLiteral(": ") + QDir::toNativeSeparators(path));
    return true;
}

bool ProtocolFileCommands::RestoreBackup(const QString& path, ProtocolBackup& backup)
{
    const LoadedProtocol loaded = LoadProtocolText(path);
    if (loaded.opened)
        Apply(loaded);
    QStringList remarks;
    if (!loaded.missing && !loaded.Clean())
        remarks << BackupProblem(path, loaded, backup);
    // Read from the fallback: the older file at the usual place would be
    // replaced by the next write.
    if (loaded.opened && path != backup.Path() && QFileInfo(backup.Path()).isFile()) {
        QString kept;
        if (KeepCopy(backup.Path(), kept)) {
            remarks << QStringLiteral("Sicherung aus dem Ersatzordner gelesen: %1; die ältere ist aufbewahrt als %2")
                           .arg(QDir::toNativeSeparators(path), QDir::toNativeSeparators(kept));
        } else {
            backup.KeepOffPath();
            remarks << QStringLiteral("Sicherung aus dem Ersatzordner gelesen: %1; die ältere (%2) wird nicht "
                                      "überschrieben")
                           .arg(QDir::toNativeSeparators(path), QDir::toNativeSeparators(backup.Path()));
        }
    }
    if (remarks.isEmpty())
        return loaded.opened;
    const QString remark = remarks.join(QLatin1Char('\n'));
    Record(remark);
    backup.SetRemark(remark);
    return loaded.opened;
}

QString ProtocolFileCommands::BackupProblem(const QString& path, const LoadedProtocol& loaded,
                                            ProtocolBackup& backup)
{
    const QString shown = QDir::toNativeSeparators(path);
    if (!loaded.opened) {
        if (path != backup.Path())
            return QStringLiteral("Sicherungsdatei nicht lesbar (%1): %2").arg(loaded.error, shown);
        backup.KeepOffPath();
        return QStringLiteral("Sicherungsdatei nicht lesbar (%1): %2 – sie wird nicht überschrieben, gesichert "
                              "wird in %3")
            .arg(loaded.error, shown, QDir::toNativeSeparators(backup.Fallback()));
    }
    const QString why = !loaded.complete ? QStringLiteral("nur teilweise gelesen")
                        : loaded.foreign ? QStringLiteral("nicht von diesem Programm geschrieben")
                                         : CutFieldsText(loaded.cutFields);
    QString kept;
    if (KeepCopy(path, kept))
        return QStringLiteral("Sicherungsdatei %1; unverändert aufbewahrt als %2")
            .arg(why, QDir::toNativeSeparators(kept));
    // Without a copy the next backup would replace the only one.
    if (path == backup.Path())
        backup.KeepOffPath();
    return QStringLiteral("Sicherungsdatei %1: %2 – keine Kopie möglich, sie wird nicht überschrieben")
        .arg(why, shown);
}

bool ProtocolFileCommands::KeepCopy(const QString& path, QString& kept)
{
    QByteArray bytes;
    return journal_ && FileStart(path, bytes) && journal_->KeepBytes(QStringLiteral("Sicherung"), bytes, &kept);
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
    if (!Snapshot(QStringLiteral("Löschen")))
        return;
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

bool ProtocolFileCommands::Snapshot(const QString& command)
{
    QString why;
    if (!journal_ || journal_->Snapshot(command, protocol_.Rows(), &why))
        return true;
    Record(QStringLiteral("\"%1\" nicht ausgeführt: Schnappschuss nicht gespeichert (%2)").arg(command, why));
    ShowMessage(Journal::RefusalText(command, why));
    return false;
}

void ProtocolFileCommands::Attach(QToolButton* sbSave, QToolButton* sbLoad, QToolButton* sbCLS, QAction* New1)
{
    connect(sbSave, &QToolButton::clicked, this, &ProtocolFileCommands::sbSaveClick);
    connect(sbLoad, &QToolButton::clicked, this, &ProtocolFileCommands::sbLoadClick);
    connect(sbCLS, &QToolButton::clicked, this, &ProtocolFileCommands::sbCLSClick);
    // Always enabled: F8 asks also when the clear button is disabled.
    connect(New1, &QAction::triggered, this, &ProtocolFileCommands::sbCLSClick);
}
