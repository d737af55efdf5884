#pragma once

#include "EventTypes.h"

#include <QAbstractTableModel>

#include <optional>

class EventBook;

// The entry list of a book as an editable table: Nr., Name, Vorname,
// Fahrzeug, Klasse, Verein, Team. An edit is checked before it reaches the
// book; a refused edit changes nothing and says why (Refused). A new entry
// is a draft row below the list until it has a free number and a class:
// only then is it stored, so the book never holds half an entry.
class EntryListModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column { Number, Name, FirstName, Car, ClassName, Club, Team, ColumnCount };

    explicit EntryListModel(EventBook* book, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    // The row of that start number, -1 when it has none.
    int RowOf(int number) const;
    // The entry shown in row (the draft too), null past the end.
    const Entry* EntryAt(int row) const;
    bool IsDraft(int row) const;
    // Starts a new entry below the list; the row of the draft.
    int AddDraft();
    // Removes the entry (or the draft) in row.
    void RemoveRow(int row);

Q_SIGNALS:
    // An edit that was not taken, and why (German).
    void Refused(const QString& message);

private:
    // Reloads from the book; the book is the one truth.
    void Reload();
    static void SetField(Entry& entry, int column, const QString& text);
    // A German reason why entry cannot stand as the entry of row, or empty.
    QString Check(const Entry& entry, int row) const;
    bool StoreDraft();

    EventBook* book_;
    QVector<Entry> entries_;
    std::optional<Entry> draft_;
    bool storingDraft_ = false;
};
