#include "EntryListModel.h"

#include "EventBook.h"
#include "Scoring.h"

#include <QBrush>
#include <QColor>

#include <algorithm>

EntryListModel::EntryListModel(EventBook* book, QObject* parent)
    : QAbstractTableModel(parent), book_(book)
{
    connect(book_, &EventBook::Changed, this, &EntryListModel::Reload);
    Reload();
}

void EntryListModel::Reload()
{
    const int before = rowCount();
    if (storingDraft_)
        draft_.reset(); // it is in the book now, in the same row
    const int after = int(book_->Entries().size()) + (draft_ ? 1 : 0);
    // Same number of rows (an edit, or the draft just stored): keep the
    // operator's place in the table.
    if (before == after) {
        entries_ = book_->Entries();
        if (after > 0)
            Q_EMIT dataChanged(index(0, 0), index(after - 1, ColumnCount - 1));
        return;
    }
    beginResetModel();
    entries_ = book_->Entries();
    endResetModel();
}

int EntryListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(entries_.size()) + (draft_ ? 1 : 0);
}

int EntryListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

const Entry* EntryListModel::EntryAt(int row) const
{
    if (row >= 0 && row < entries_.size())
        return &entries_[row];
    if (draft_ && row == entries_.size())
        return &*draft_;
    return nullptr;
}

bool EntryListModel::IsDraft(int row) const
{
    return draft_ && row == entries_.size();
}

int EntryListModel::RowOf(int number) const
{
    for (int row = 0; row < entries_.size(); ++row)
        if (entries_[row].number == number)
            return row;
    return -1;
}

QVariant EntryListModel::data(const QModelIndex& index, int role) const
{
    const Entry* entry = EntryAt(index.row());
    if (!entry)
        return {};
    if (role == Qt::BackgroundRole && IsDraft(index.row()))
        return QBrush(QColor(255, 244, 200));
    if (role == Qt::ToolTipRole && IsDraft(index.row()))
        return QStringLiteral("Neuer Starter: gespeichert, sobald Nr. und Klasse eingetragen sind.");
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return {};
    switch (index.column()) {
    case Number: return entry->number > 0 ? QString::number(entry->number) : QString();
    case Name: return entry->name;
    case FirstName: return entry->firstName;
    case Car: return entry->car;
    case ClassName: return entry->className;
    case Club: return entry->club;
    case Team: return entry->team;
    }
    return {};
}

QVariant EntryListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return IsDraft(section) ? QStringLiteral("neu") : QString::number(section + 1);
    static const char* const titles[ColumnCount] = {"Nr.", "Name", "Vorname", "Fahrzeug", "Klasse", "Verein", "Team"};
    return section >= 0 && section < ColumnCount ? QString::fromUtf8(titles[section]) : QVariant();
}

Qt::ItemFlags EntryListModel::flags(const QModelIndex& index) const
{
    return QAbstractTableModel::flags(index) | Qt::ItemIsEditable;
}

void EntryListModel::SetField(Entry& entry, int column, const QString& text)
{
    switch (column) {
    case Name: entry.name = text; break;
    case FirstName: entry.firstName = text; break;
    case Car: entry.car = text; break;
    case ClassName: entry.className = text; break;
    case Club: entry.club = text; break;
    case Team: entry.team = text; break;
    default: break;
    }
}

QString EntryListModel::Check(const Entry& entry, int row) const
{
    if (entry.number < 1 || entry.number > 9999)
        return QStringLiteral("Die Startnummer muss zwischen 1 und 9999 liegen.");
    const int other = RowOf(entry.number);
    if (other >= 0 && other != row)
        return QStringLiteral("Die Startnummer %1 ist schon vergeben (%2, Klasse %3).")
            .arg(entry.number)
            .arg(DriverName(entries_[other]), entries_[other].className);
    if (entry.className.trimmed().isEmpty())
        return QStringLiteral("Nr. %1: Die Klasse darf nicht leer sein.").arg(entry.number);
    return QString();
}

bool EntryListModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    const Entry* current = EntryAt(index.row());
    if (role != Qt::EditRole || !current)
        return false;
    const QString text = value.toString().trimmed();
    Entry changed = *current;
    if (index.column() == Number) {
        bool ok = false;
        changed.number = text.toInt(&ok);
        if (!ok || changed.number < 1 || changed.number > 9999) {
            Q_EMIT Refused(QStringLiteral("„%1“ ist keine Startnummer (1 bis 9999).").arg(text));
            return false;
        }
    } else {
        SetField(changed, index.column(), text);
    }

    if (IsDraft(index.row())) {
        if (index.column() == Number && RowOf(changed.number) >= 0) {
            Q_EMIT Refused(Check(changed, index.row()));
            return false;
        }
        *draft_ = changed;
        Q_EMIT dataChanged(index, index);
        StoreDraft();
        return true;
    }

    const QString problem = Check(changed, index.row());
    if (!problem.isEmpty()) {
        Q_EMIT Refused(problem);
        return false;
    }
    if (changed.number == current->number)
        return book_->SetEntry(changed);
    // A new number replaces the old one in a single step, so the entry is
    // never there twice nor missing.
    QVector<Entry> entries = entries_;
    entries[index.row()] = changed;
    return book_->ReplaceEntries(entries);
}

// The draft is stored once it is a whole entry; until then it stays here.
bool EntryListModel::StoreDraft()
{
    if (!draft_ || draft_->number < 1 || draft_->className.trimmed().isEmpty())
        return false;
    Entry entry = *draft_;
    int order = 0;
    for (const Entry& e : entries_)
        order = std::max(order, e.order);
    entry.order = order + 1;
    storingDraft_ = true;
    const bool stored = book_->SetEntry(entry);
    storingDraft_ = false;
    return stored;
}

int EntryListModel::AddDraft()
{
    if (!draft_) {
        beginInsertRows(QModelIndex(), int(entries_.size()), int(entries_.size()));
        draft_ = Entry{};
        endInsertRows();
    }
    return int(entries_.size());
}

void EntryListModel::RemoveRow(int row)
{
    if (IsDraft(row)) {
        beginRemoveRows(QModelIndex(), row, row);
        draft_.reset();
        endRemoveRows();
        return;
    }
    if (const Entry* entry = EntryAt(row))
        book_->RemoveEntry(entry->number);
}
