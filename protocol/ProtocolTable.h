#pragma once

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
// grid it works on.
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
    void UpdateProtocolCommands();
    std::function<void(bool hasRuns)> OnProtocolCommands;

    void FitProtocolColumns();
    // False when the current row already holds a voided cell.
    bool SelectedRowVoidable() const;
    void DeleteSelectedRow();
    // Removes every row without a run time (blank, unfinished and loaded
    // rows whose "Zeit" holds only blanks).
    void RemoveEmptyRows();

    void SortGrid1GetSortStyle(TSortGrid* sender, int col, TSortStyle& style);
    void SortGrid1GetCellFormat(TSortGrid* sender, int col, int row, TGridDrawState state,
        TFormatOptions& format, bool& checkBox, bool& combobox, bool& ellipsis);

private:
    void SetUpGrid();
    // The row a new run goes into: the last row if it holds no run yet,
    // otherwise a row appended below it. The row is emptied.
    int NewRunRow();
    int ManyStartStopRow(const QString& startNumber) const;
    bool IsOpenRunOf(int row, const QString& startNumber) const;
    void ClearCells(int row);
    QString SpeedText(std::int32_t elapsedMs) const;
    void WritePlaces();
    bool IsDataRow(int row) const;

    TSortGrid& grid_;
    bool manyStart_ = false;
    int length_ = 0;
    std::int32_t bestTime_ = 0;
};
