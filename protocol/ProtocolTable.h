#pragma once

#include "ProtocolFile.h"
#include "ProtocolRow.h"
#include "TSortGrid.h"

#include <QObject>
#include <QString>
#include <QTime>
#include <cstdint>
#include <functional>

// The protocol of an event: one row of the grid per run ("Nr.", "Start",
// "Stopp", "Zeit", "km/h", "Platz"), ranked by run time. Every cell is a text;
// the empty text means "not yet known" and "-" means "voided by an accident".
//
// The table does not know the lanes: the lanes open and complete their rows
// through BeginRunRow and FinishRunRow, and the run control passes in what a
// ranking needs and shows the best time it returns. The object belongs to the
// grid it works on. Every operation that changes the protocol's content
// ends with one Changed(), which the backup follows.
class ProtocolTable : public QObject
{
    Q_OBJECT

public:
    enum Column { ColNr = 0, ColStart, ColStopp, ColZeit, ColKmh, ColPlatz, ColumnCount };

    explicit ProtocolTable(TSortGrid& grid);

    void SetManyStart(bool on) { manyStart_ = on; }
    bool ManyStart() const { return manyStart_; }
    void SetLength(int metres) { length_ = metres; }
    int Length() const { return length_; }

    // A lane has started: opens the run's row with "Nr." and "Start".
    void BeginRunRow(const QString& startNumber, const QTime& startClock);
    // A lane has stopped: writes "Stopp", "Zeit" and "km/h" into the run's
    // row and selects it. A run whose row is gone gets a new row.
    void FinishRunRow(const QString& startNumber, const QTime& stopClock, std::int32_t elapsedMs);
    // Accident: every filled cell of the current row but "Nr." becomes "-".
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
    void UpdateProtocolCommands();
    std::function<void(bool hasRuns)> OnProtocolCommands;

    void FitProtocolColumns();
    // False when the current row already holds a voided cell.
    bool SelectedRowVoidable() const;
    void DeleteSelectedRow();
    // Removes every row without a run time (blank, unfinished and loaded
    // rows whose "Zeit" holds only blanks).
    void RemoveEmptyRows();

    // Every grid row, the header row 0 included, in the grid's order.
    ProtocolRows Rows() const;
    // The table becomes header + one blank row, then rows 1.. take the
    // given data rows. No ranking.
    void ReplaceRows(const ProtocolRows& dataRows);
    // A new protocol: header + one blank row, best time 0.
    void Clear();
    // Replaces the protocol by what a file gave. A file that could not be
    // opened leaves the table cleared; only a file read whole is ranked and
    // updates the protocol commands. True when it was ranked: BestTime()
    // then holds the best time to show in Runden mode.
    bool LoadProtocolText(const LoadedProtocol& loaded, const QString& selectStartNumber, bool runden);

    void SortGrid1GetSortStyle(TSortGrid* sender, int col, TSortStyle& style);
    void SortGrid1GetCellFormat(TSortGrid* sender, int col, int row, TGridDrawState state,
        TFormatOptions& format, bool& checkBox, bool& combobox, bool& ellipsis);

Q_SIGNALS:
    void Changed();

private:
    // Emits Changed() once when the outermost change of a nested operation
    // ends (a load replaces the rows and ranks them: one change).
    class ChangeScope;

    void SetUpGrid();
    // The row a new run goes into: the last row if it holds no run yet,
    // otherwise a row appended below it. The row is emptied.
    int NewRunRow();
    int ManyStartStopRow(const QString& startNumber) const;
    int FirstOpenRunOf(const QString& startNumber) const;
    bool IsOpenRunOf(int row, const QString& startNumber) const;
    void ClearCells(int row);
    QString SpeedText(std::int32_t elapsedMs) const;
    void WritePlaces();
    bool IsDataRow(int row) const;
    bool RowHoldsResult(int row) const;

    TSortGrid& grid_;
    bool manyStart_ = false;
    int length_ = 0;
    std::int32_t bestTime_ = 0;
    int changeDepth_ = 0;
};
