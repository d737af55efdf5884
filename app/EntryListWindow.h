#pragma once

#include <QWidget>

#include <functional>

class EntryImportDialog;
class EntryListModel;
class EventBook;
class QLabel;
class QLineEdit;
class QTableView;

// "Starterliste": the entry list of the open book, edited in place.
// Keyboard-first: Enter takes the cell and moves on to the next one;
// digits typed in the Nr. column (or in "Nr. suchen", Strg+F) find that
// start number's row; Einfg starts a new entry, Entf removes one after a
// question. "Importieren…" replaces the list with a club's file.
class EntryListWindow : public QWidget
{
    Q_OBJECT
public:
    EntryListWindow(EventBook* book, QWidget* parent = nullptr);

    // Selects the row of number; false (and says so) when it has none.
    bool FindNumber(int number);
    void AddEntry();
    void RemoveCurrent();
    void Import();
    QString Message() const;

    // What tests replace: the file to import (empty: none), the yes/no
    // question, the column-mapping step (true when the operator took it).
    std::function<QString()> ChooseImportFile;
    std::function<bool(const QString& question)> AskYesNo;
    std::function<bool(EntryImportDialog& dialog)> MapColumns;

    QTableView* Table() const { return table_; }
    QLineEdit* Search() const { return search_; }

Q_SIGNALS:
    // "Veranstaltung…": the event's settings.
    void EventWanted();

private:
    void ShowMessage(const QString& text, bool problem);
    void SearchEdited(const QString& text);

    EventBook* book_;
    EntryListModel* model_ = nullptr;
    QTableView* table_ = nullptr;
    QLineEdit* search_ = nullptr;
    QLabel* message_ = nullptr;
};
