#pragma once

#include <QAbstractTableModel>
#include <QStringList>
#include <QVector>

// The grid's cell store: row 0 is the header row, rows 1.. the data rows.
// The view shows data row r as model row r - 1 and the header row in its
// horizontal header. Rows are kept as whole lists so a sort can move them
// without copying cell by cell.
class SortGridModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit SortGridModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    int Rows() const { return int(rows_.size()); }
    void SetRows(int count);
    int Cols() const { return cols_; }
    void SetCols(int count);

    QString Cell(int col, int row) const;
    void SetCell(int col, int row, const QString& text);
    // While held, cell changes are only recorded; Release reports them all
    // in one notification, so a ranking that writes many places stays cheap.
    void HoldNotifications();
    void ReleaseNotifications();
    QStringList Row(int row) const;
    void SetRow(int row, const QStringList& texts);
    void RemoveRow(int row);

    // Replaces data rows 1.. by the given rows, in one change notification.
    void ReplaceDataRows(QVector<QStringList>&& rows);
    const QVector<QStringList>& AllRows() const { return rows_; }

private:
    QStringList Blank() const;

    QVector<QStringList> rows_;
    int cols_ = 0;
    bool holding_ = false;
    bool changedWhileHeld_ = false;
};
