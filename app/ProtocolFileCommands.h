#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>

class Clock;
class JournalFeed;
struct LoadedProtocol;
class ProtocolBackup;
class ProtocolModel;
class QAction;
class QFileDialog;
class QToolButton;
class QWidget;
class RunControl;
class TFrame1;

// The protocol's file commands of the main window: "Speichern unter..."
// (text file, word-processor document or web page), "Öffnen" and clearing
// the protocol for a new event. The open and the save dialog keep their
// state (folder, file type, last name) from one use to the next; the
// process's current folder follows the chosen file.
//
// Each dialog is made when the operator asks for it and deleted after: a
// file dialog watches its folder and rescans it in threads of its own
// whenever a file there changes, and the backup beside the program changes
// at every start and stop, right when the serial worker needs the
// processor to stamp the next barrier edge.
class ProtocolFileCommands : public QObject
{
    Q_OBJECT
public:
    enum FileType { TextFile = 1, WordDocument = 2, WebPage = 3 };

    ProtocolFileCommands(ProtocolModel& protocol, RunControl& runs, TFrame1& lane2, const Clock& clock,
                         QWidget* dialogParent);

    // The dialogs' filters from the file types' display names.
    void SetTypeNames(const QString& text, const QString& word, const QString& web);
    void SetDirectory(const QString& folder);
    // The save dialog's file type, 1..3 (other values choose the text file).
    void SetFilterIndex(int index);
    int FilterIndex() const;

    // Loads, clears and saves go to the journal, and the protocol is kept
    // as a snapshot before a load or a clear replaces it; null for none.
    void SetJournal(JournalFeed* journal) { journal_ = journal; }

    // The protocol strip's save, open and clear buttons and the F8 action
    // run these commands.
    void Attach(QToolButton* sbSave, QToolButton* sbLoad, QToolButton* sbCLS, QAction* New1);
    void sbSaveClick();
    void sbLoadClick();
    // Also the F8 command "New": asks first, also on an empty protocol.
    void sbCLSClick();

    // Loads a text file into the protocol; false (and the protocol as it
    // was) when the file cannot be opened.
    bool LoadText(const QString& path);
    // The automatic backup at start-up from path: silent when all is well.
    // A file that cannot be read (no permission, a folder, not a regular
    // file, too big) is told and never written over: backup writes to the
    // fallback. A file that does not read back as it is (foreign bytes or
    // header, a cut field, broken off) is first kept as a snapshot, so the
    // next backup never replaces the only copy; it is told once, and when
    // no copy can be kept it is not written over either. Restored from the
    // fallback, the older file at the usual place is kept the same way.
    bool RestoreBackup(const QString& path, ProtocolBackup& backup);
    // The operator's file with the given type; a type is completed with its
    // extension when none was typed.
    static QString WithTypeExtension(const QString& path, int type);

    // Runs a dialog modally; true when a file was chosen. Tests answer here.
    std::function<bool(QFileDialog& dialog)> RunDialog;
    // The yes/no question; true only for "Ja".
    std::function<bool(const QString& question)> Ask;
    // A German message to the operator (a file could not be written or read).
    std::function<void(const QString& message)> ShowMessage;
    // The exports of the word-processor document and the web page, set by
    // the main window once they exist; unset, the operator is told that the
    // type cannot be saved yet and nothing is written.
    std::function<bool(const QString& path)> ExportToWord;
    std::function<bool(const QString& path)> WriteHtmlPage;

private:
    void SaveAs(const QString& path, int type);
    void SaveText(const QString& path);
    void Apply(const LoadedProtocol& loaded);
    // What the operator must know about a backup that did not read back
    // clean; keeps it from being written over where no copy could be made.
    QString BackupProblem(const QString& path, const LoadedProtocol& loaded, ProtocolBackup& backup);
    // The file's bytes as a snapshot; the snapshot's path in kept.
    bool KeepCopy(const QString& path, QString& kept);
    void Record(const QString& what);
    // False (and the operator told why) when the snapshot could not be
    // kept: the command must not run then.
    bool Snapshot(const QString& command);

    ProtocolModel& protocol_;
    RunControl& runs_;
    TFrame1& lane2_;
    const Clock& clock_;
    QWidget* dialogParent_;
    JournalFeed* journal_ = nullptr;
    QStringList openFilters_;
    QStringList saveFilters_;
    int filterIndex_ = TextFile;
    QString openFolder_;
    QString saveFolder_;
    QString lastOpened_;
};
