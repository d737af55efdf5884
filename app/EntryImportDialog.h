#pragma once

#include "EntryImport.h"

#include <QDialog>

#include <array>

class QComboBox;
class QLabel;

// Asks the operator which column of an entry list file holds which field,
// when the header's names were not all recognised. Shows the file's columns
// and first rows; "Übernehmen" applies the mapping and closes only when
// every entry could be read (otherwise the message stays in the dialog).
class EntryImportDialog : public QDialog
{
    Q_OBJECT

public:
    EntryImportDialog(const EntryTable& table, const ColumnMapping& guess, QWidget* parent = nullptr);

    ColumnMapping Mapping() const;
    // The entries read with the mapping, once the dialog was accepted.
    const QList<Entry>& Entries() const { return entries_; }

    void accept() override;

private:
    EntryTable table_;
    int headerRow_ = 0;
    std::array<QComboBox*, kEntryFieldCount> boxes_{};
    QLabel* message_ = nullptr;
    QList<Entry> entries_;
};
