#pragma once

#include "ProtocolFile.h"
#include "ProtocolRow.h"

#include <QAbstractTableModel>
#include <QString>
#include <QTime>
#include <cstdint>
#include <memory>

// The protocol of an event: one row per run ("Nr.", "Start", "Stopp",
// "Zeit", "km/h", "Platz"), ranked by run time. Every cell is a text; the
// empty text means "not yet known" and "-" means "voided by an accident".
//
// Rows are addressed as in the files: row 0 is the header row, rows 1.. the
// runs. As an item model it shows run row r as model row r - 1 and the header
// row as the horizontal header, so a view shows the rows without a copy.
//
// The model does not know the lanes or any view: the lanes open and complete
// their rows through BeginRunRow and FinishRunRow, and the run control passes
// in what a ranking needs and shows the best time it returns. Every operation
// that changes the content ends with one Changed(), which the backup follows.
class ProtocolModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { ColNr = 0, ColStart, ColStopp, ColZeit, ColKmh, ColPlatz, ColumnCount };

    explicit ProtocolModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    // A cell written from outside the rules (a view's edit): one change.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    // A header click: sorts by the column (numbers, times or texts) until the
    // first ranking; from then on the protocol stays in rank order.
    // Blank rows in, rows out, from outside the rules: one change each.
    bool insertRows(int row, int count, const QModelIndex& parent = {}) override;
    bool removeRows(int row, int count, const QModelIndex& parent = {}) override;
    void sort(int column, Qt::SortOrder order) override;

    void SetManyStart(bool on) { manyStart_ = on; }
    bool ManyStart() const { return manyStart_; }
    // Ranked at least once: header clicks no longer sort.
    bool Ranked() const { return ranked_; }
    void SetLength(int metres) { length_ = metres; }
    int Length() const { return length_; }

    // Rows including the header row.
    int RowCount() const { return static_cast<int>(rows_->size()); }
    const QString& Cell(int col, int row) const;
    // The first run row whose "Nr." is the text; -1 for none.
    int FindRow(const QString& startNumber) const;

    // The selected run row; 0 for none.
    int SelectedRow() const { return selected_; }
    // The model moves the selection: views follow SelectionMoved.
    void SelectRow(int row);
    // A view's selection moved (the operator): taken without a signal.
    void SetSelectedRow(int row);

    // A lane has started: opens the run's row with "Nr." and "Start".
    void BeginRunRow(const QString& startNumber, const QTime& startClock);
    // A lane has stopped: writes "Stopp", "Zeit" and "km/h" into the run's
    // row and selects it. A run whose row is gone gets a new row.
    void FinishRunRow(const QString& startNumber, const QTime& stopClock, std::int32_t elapsedMs);
    // Accident: every filled cell of the selected row but "Nr." becomes "-".
    void VoidSelectedRow();
    // Sorts by run time, writes the places, selects the row of the given
    // start number and returns the best time in Runden mode (else 0).
    std::int32_t RankProtocol(const QString& selectStartNumber, bool runden);
    std::int32_t BestTime() const { return bestTime_; }

    bool HasRuns() const;
    // The row a START of startNumber would clear although it holds a result
    // (stopped or voided); -1 when the start clears none: ManyStart on, no
    // row yet, or a run that never finished.
    int RowReplacedByStart(const QString& startNumber) const;
    // Whether any row of the start number holds a result.
    bool HasResult(int startNumber) const;
    // The highest start number in the protocol; 0 for none.
    int HighestStartNumber() const;
    // Reports HasRuns() to ProtocolCommands.
    void UpdateProtocolCommands();

    // False when the selected row already holds a voided cell.
    bool SelectedRowVoidable() const;
    void DeleteSelectedRow();
    // Removes every row without a run time (blank, unfinished and loaded
    // rows whose "Zeit" holds only blanks); returns how many went.
    int RemoveEmptyRows();

    // Every row, the header row 0 included, in order.
    const ProtocolRows& Rows() const { return *rows_; }
    // The rows as they are now, shared: the next change copies them first
    // if the snapshot is still held (a writer thread may read it meanwhile).
    std::shared_ptr<const ProtocolRows> SharedRows() const { return rows_; }
    // The protocol becomes header + one blank row, then rows 1.. take the
    // given data rows. No ranking.
    void ReplaceRows(const ProtocolRows& dataRows);
    // A new protocol: header + one blank row, best time 0.
    void Clear();
    // Replaces the protocol by what a file gave. A file that could not be
    // opened leaves the protocol cleared; only a file read whole is ranked
    // and updates the protocol commands. True when it was ranked: BestTime()
    // then holds the best time to show in Runden mode.
    bool LoadProtocolText(const LoadedProtocol& loaded, const QString& selectStartNumber, bool runden);

Q_SIGNALS:
    void Changed();
    void SelectionMoved(int row);
    void ProtocolCommands(bool hasRuns);

private:
    // Emits Changed() once when the outermost change of a nested operation
    // ends (a load replaces the rows and ranks them: one change).
    class ChangeScope;

    void SetCell(int col, int row, const QString& text);
    void ClearCells(int row);
    // The row a new run goes into: the last row if it holds no run yet,
    // otherwise a row appended below it. The row is emptied.
    int NewRunRow();
    int ManyStartStopRow(const QString& startNumber) const;
    int FirstOpenRunOf(const QString& startNumber) const;
    bool IsOpenRunOf(int row, const QString& startNumber) const;
    QString SpeedText(std::int32_t elapsedMs) const;
    void SortRows(int col, bool descending);
    void WritePlaces();
    bool IsDataRow(int row) const;
    bool RowHoldsResult(int row) const;
    void AllRowsChanged();
    // A ranking of a protocol already in rank order but for a few rows
    // places just those rows and rewrites the places from the first moved
    // row until they agree again; false when it cannot (order not known).
    bool RankChangedRows();
    void PlaceFrom(int first, int last, int* lastWritten);
    void MarkUnranked(int row);
    void OrderUnknown();

    // The rows, written only through Rw() so a shared snapshot stays as it was.
    ProtocolRows& Rw();
    std::shared_ptr<ProtocolRows> rows_;
    int selected_ = 0;
    bool manyStart_ = false;
    bool ranked_ = false;
    int length_ = 0;
    std::int32_t bestTime_ = 0;
    int changeDepth_ = 0;
    // Rows whose time or place changed since the last ranking; every other
    // row is in rank order with its place written, while orderKnown_.
    std::vector<int> unranked_;
    bool orderKnown_ = false;
};
