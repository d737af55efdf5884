#include "SortGridModel.h"

SortGridModel::SortGridModel(QObject* parent)
    : QAbstractTableModel(parent)
{
}

int SortGridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : std::max(0, Rows() - 1);
}

int SortGridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : cols_;
}

QVariant SortGridModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid())
        return {};
    return Cell(index.column(), index.row() + 1);
}

QVariant SortGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
        return {};
    return Cell(section, 0);
}

QStringList SortGridModel::Blank() const
{
    QStringList row;
    row.reserve(cols_);
    for (int c = 0; c < cols_; ++c)
        row.append(QString());
    return row;
}

void SortGridModel::SetRows(int count)
{
    count = std::max(count, 1);
    const int old = Rows();
    if (count > old) {
        const int first = std::max(0, old - 1);
        const int last = count - 2;
        if (last >= first)
            beginInsertRows({}, first, last);
        while (Rows() < count)
            rows_.append(Blank());
        if (last >= first)
            endInsertRows();
    } else if (count < old) {
        beginRemoveRows({}, count - 1, old - 2);
        rows_.resize(count);
        endRemoveRows();
    }
}

void SortGridModel::SetCols(int count)
{
    count = std::max(count, 0);
    if (count == cols_)
        return;
    // Columns are inserted and removed, not the model reset, so the view
    // keeps the widths of the remaining columns and its current row.
    if (count > cols_)
        beginInsertColumns({}, cols_, count - 1);
    else
        beginRemoveColumns({}, count, cols_ - 1);
    const bool growing = count > cols_;
    cols_ = count;
    for (QStringList& row : rows_) {
        while (row.size() < cols_)
            row.append(QString());
        while (row.size() > cols_)
            row.removeLast();
    }
    if (rows_.isEmpty())
        rows_.append(Blank());
    if (growing)
        endInsertColumns();
    else
        endRemoveColumns();
    if (cols_ > 0)
        Q_EMIT headerDataChanged(Qt::Horizontal, 0, cols_ - 1);
}

QString SortGridModel::Cell(int col, int row) const
{
    if (row < 0 || row >= Rows() || col < 0 || col >= cols_)
        return {};
    return rows_[row][col];
}

void SortGridModel::SetCell(int col, int row, const QString& text)
{
    if (row < 0 || row >= Rows() || col < 0 || col >= cols_)
        return;
    rows_[row][col] = text;
    if (row == 0)
        Q_EMIT headerDataChanged(Qt::Horizontal, col, col);
    else if (holding_)
        changedWhileHeld_ = true;
    else
        Q_EMIT dataChanged(index(row - 1, col), index(row - 1, col));
}

void SortGridModel::HoldNotifications()
{
    holding_ = true;
}

void SortGridModel::ReleaseNotifications()
{
    holding_ = false;
    if (changedWhileHeld_ && Rows() > 1)
        Q_EMIT dataChanged(index(0, 0), index(Rows() - 2, cols_ - 1));
    changedWhileHeld_ = false;
}

QStringList SortGridModel::Row(int row) const
{
    return row >= 0 && row < Rows() ? rows_[row] : QStringList();
}

void SortGridModel::SetRow(int row, const QStringList& texts)
{
    if (row < 0 || row >= Rows())
        return;
    QStringList cells = texts.mid(0, cols_);
    while (cells.size() < cols_)
        cells.append(QString());
    rows_[row] = cells;
    if (row == 0)
        Q_EMIT headerDataChanged(Qt::Horizontal, 0, cols_ - 1);
    else
        Q_EMIT dataChanged(index(row - 1, 0), index(row - 1, cols_ - 1));
}

void SortGridModel::RemoveRow(int row)
{
    if (row < 1 || row >= Rows())
        return;
    beginRemoveRows({}, row - 1, row - 1);
    rows_.removeAt(row);
    endRemoveRows();
}

void SortGridModel::ReplaceDataRows(QVector<QStringList>&& rows)
{
    for (int i = 0; i < rows.size() && i + 1 < Rows(); ++i)
        rows_[i + 1] = std::move(rows[i]);
    if (Rows() > 1)
        Q_EMIT dataChanged(index(0, 0), index(Rows() - 2, cols_ - 1));
}
