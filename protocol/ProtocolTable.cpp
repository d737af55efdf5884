#include "ProtocolTable.h"

#include "TimeText.h"

#include <QFont>
#include <QLocale>
#include <QPointer>

#include <algorithm>
#include <iterator>
#include <vector>

namespace {

const QString kVoided = QStringLiteral("-");

// Widths of the columns around "Zeit", which takes the rest.
constexpr int kFixedWidths[ProtocolTable::ColumnCount] = {32, 80, 80, 0, 40, 40};
constexpr int kFixedWidthSum = 32 + 80 + 80 + 40 + 40;
// The widest text each of them holds in the course of an event: a start
// number up to 9999, a clock time after 10 o'clock, a speed up to 999,9
// km/h, a place; and the run time "Zeit" must show whole first: minutes.
const char* const kWidestTexts[ProtocolTable::ColumnCount] = {"9999", "00:00.00,00", "00:00.00,00", "0.00,00",
                                                              "999,9", "9999"};
// The order in which columns whose texts the font draws wider than designed
// may grow: the two clock times together, then Nr., km/h and Platz.
const std::vector<std::vector<int>> kGrowthOrder = {
    {ProtocolTable::ColStart, ProtocolTable::ColStopp}, {ProtocolTable::ColNr}, {ProtocolTable::ColKmh},
    {ProtocolTable::ColPlatz}};

} // namespace

class ProtocolTable::ChangeScope
{
public:
    explicit ChangeScope(ProtocolTable& table)
        : table_(table)
    {
        ++table_.changeDepth_;
    }
    ~ChangeScope()
    {
        if (--table_.changeDepth_ == 0)
            Q_EMIT table_.Changed();
    }
    ChangeScope(const ChangeScope&) = delete;
    ChangeScope& operator=(const ChangeScope&) = delete;

private:
    ProtocolTable& table_;
};

ProtocolTable::ProtocolTable(TSortGrid& grid)
    : QObject(&grid)
    , grid_(grid)
{
    SetUpGrid();
}

void ProtocolTable::SetUpGrid()
{
    grid_.SetColCount(ColumnCount);
    grid_.SetRowCount(2);
    grid_.SetDefaultRowHeight(19);
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(15);
    grid_.setFont(font);
    grid_.SetAlignmentHorz(Qt::AlignRight);
    grid_.SetAlignmentVert(taMiddle);
    grid_.SetBevelStyle(cbNone);

    TSortOptions& sort = grid_.SortOptions();
    sort.CanSort = true;
    sort.SortStyle = ssNormal;
    sort.SortCaseSensitive = false;
    sort.SortCol = ColZeit;
    sort.SortDirection = sdAscending;
    sort.UpdateOnSizeChange = false;

    const QString headers[ColumnCount] = {QStringLiteral("Nr."), QStringLiteral("Start"),
        QStringLiteral("Stopp"), QStringLiteral("Zeit"), QStringLiteral("km/h"), QStringLiteral("Platz")};
    for (int col = 0; col < ColumnCount; ++col) {
        grid_.SetCells(col, 0, headers[col]);
        grid_.SetColWidths(col, 48);
    }
    grid_.SetColWidths(ColPlatz, 524);

    // The handlers must not outlive this object if it goes before the grid.
    const QPointer<ProtocolTable> self(this);
    grid_.OnGetSortStyle = [self](TSortGrid* sender, int col, TSortStyle& style) {
        if (self)
            self->SortGrid1GetSortStyle(sender, col, style);
    };
    grid_.OnGetCellFormat = [self](TSortGrid* sender, int col, int row, TGridDrawState state,
                                TFormatOptions& format, bool& checkBox, bool& combobox, bool& ellipsis) {
        if (self)
            self->SortGrid1GetCellFormat(sender, col, row, state, format, checkBox, combobox, ellipsis);
    };
}

void ProtocolTable::BeginRunRow(const QString& startNumber, const QTime& startClock)
{
    const ChangeScope change(*this);
    // Without ManyStart a start number has one row: a restart discards the
    // earlier result.
    int row = manyStart_ ? -1 : grid_.FindRow(ColNr, startNumber, false);
    if (row > 0) {
        ClearCells(row);
        grid_.SelectRow(row);
    } else {
        row = NewRunRow();
    }
    grid_.SetCells(ColNr, row, startNumber);
    grid_.SetCells(ColStart, row, FormatClockTime(startClock));
    UpdateProtocolCommands();
}

void ProtocolTable::FinishRunRow(const QString& startNumber, const QTime& stopClock, std::int32_t elapsedMs)
{
    const ChangeScope change(*this);
    int row = manyStart_ ? ManyStartStopRow(startNumber) : grid_.FindRow(ColNr, startNumber, false);
    if (row >= 1 && !IsOpenRunOf(row, startNumber))
        row = FirstOpenRunOf(startNumber);
    // The run's row was deleted or the table cleared while the car was on
    // the track: the measured time still gets a row of its own.
    if (row < 1) {
        row = NewRunRow();
        grid_.SetCells(ColNr, row, startNumber);
    }
    grid_.SetCells(ColStopp, row, FormatClockTime(stopClock));
    grid_.SetCells(ColZeit, row, FormatRunTime(elapsedMs));
    grid_.SetCells(ColKmh, row, SpeedText(elapsedMs));
    grid_.SelectRow(row);
}

// Rows are appended in start order and unfinished runs stay below the ranked
// ones in that order, so the run to finish is one of the last two rows.
int ProtocolTable::ManyStartStopRow(const QString& startNumber) const
{
    const int last = grid_.RowCount() - 1;
    if (grid_.RowCount() < 3)
        return last;
    if (!grid_.Cells(ColStopp, last - 1).isEmpty())
        return last;
    if (grid_.Cells(ColNr, last - 1) == startNumber)
        return last - 1;
    return last;
}

// Loaded unfinished runs (a blank "Zeit") rank below the ones started since,
// so the open run is not always among the last two rows: the first open run
// of the number is the one that started first.
int ProtocolTable::FirstOpenRunOf(const QString& startNumber) const
{
    for (int row = 1; row < grid_.RowCount(); ++row) {
        if (IsOpenRunOf(row, startNumber))
            return row;
    }
    return -1;
}

// The stop may only complete a row of the same start number that has not
// been stopped yet; anything else would overwrite another car's result. A
// loaded unfinished run holds a blank, not the empty text, and stays as it is.
bool ProtocolTable::IsOpenRunOf(int row, const QString& startNumber) const
{
    if (!manyStart_)
        return true;
    return grid_.Cells(ColNr, row) == startNumber && grid_.Cells(ColStopp, row).isEmpty();
}

QString ProtocolTable::SpeedText(std::int32_t elapsedMs) const
{
    if (elapsedMs == 0)
        return QString();
    if (elapsedMs < 0)
        return kVoided;
    QLocale locale;
    locale.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator);
    return locale.toString(static_cast<double>(length_) / elapsedMs * 3600.0, 'f', 1);
}

void ProtocolTable::VoidSelectedRow()
{
    const int row = grid_.Row();
    if (!IsDataRow(row))
        return;
    const ChangeScope change(*this);
    for (int col = ColStart; col < grid_.ColCount(); ++col) {
        if (!IsBlankText(grid_.Cells(col, row)))
            grid_.SetCells(col, row, kVoided);
    }
}

std::int32_t ProtocolTable::RankProtocol(const QString& selectStartNumber, bool runden)
{
    const ChangeScope change(*this);
    // One update around sort and places: the grid paints once, at the end.
    grid_.BeginUpdate();
    TSortOptions& sort = grid_.SortOptions();
    sort.CanSort = true;
    sort.SortDirection = sdAscending;
    grid_.SortByColumn(ColZeit);
    // From the first ranking on the protocol stays in rank order: header
    // clicks no longer sort it.
    sort.CanSort = false;

    WritePlaces();
    grid_.EndUpdate();

    const int row = grid_.FindRow(ColNr, selectStartNumber, false);
    if (row > 0)
        grid_.SelectRow(row);

    bestTime_ = ParseRunTime(grid_.Cells(ColZeit, 1));
    return runden ? bestTime_ : 0;
}

// Equal times share the place of the first of them; the next different time
// gets its row index ("1", "1", "3"). Rows without a time keep their cell.
void ProtocolTable::WritePlaces()
{
    const int placeCol = grid_.ColCount() - 1;
    QString rankedTime;
    QString rankedPlace;
    for (int row = 1; row < grid_.RowCount(); ++row) {
        const QString time = grid_.Cells(ColZeit, row);
        if (time == kVoided || IsBlankText(time))
            continue;
        if (rankedPlace.isEmpty() || time != rankedTime) {
            rankedTime = time;
            rankedPlace = QString::number(row);
        }
        if (grid_.Cells(placeCol, row) != rankedPlace)
            grid_.SetCells(placeCol, row, rankedPlace);
    }
}

bool ProtocolTable::HasRuns() const
{
    return grid_.RowCount() >= 2 && !IsBlankText(grid_.Cells(ColNr, 1));
}

bool ProtocolTable::RowHoldsResult(int row) const
{
    if (grid_.Cells(ColStart, row) == kVoided)
        return true;
    for (int col = ColStopp; col < ColumnCount; ++col) {
        if (!IsBlankText(grid_.Cells(col, row)))
            return true;
    }
    return false;
}

int ProtocolTable::RowReplacedByStart(const QString& startNumber) const
{
    if (manyStart_)
        return -1;
    const int row = grid_.FindRow(ColNr, startNumber, false);
    return row > 0 && RowHoldsResult(row) ? row : -1;
}

bool ProtocolTable::HasResult(int startNumber) const
{
    const QString text = QString::number(startNumber);
    for (int row = 1; row < grid_.RowCount(); ++row) {
        if (grid_.Cells(ColNr, row).trimmed() == text && RowHoldsResult(row))
            return true;
    }
    return false;
}

int ProtocolTable::HighestStartNumber() const
{
    int highest = 0;
    for (int row = 1; row < grid_.RowCount(); ++row) {
        bool ok = false;
        const int number = grid_.Cells(ColNr, row).trimmed().toInt(&ok);
        if (ok)
            highest = std::max(highest, number);
    }
    return highest;
}

void ProtocolTable::UpdateProtocolCommands()
{
    if (OnProtocolCommands)
        OnProtocolCommands(HasRuns());
}

void ProtocolTable::FitProtocolColumns()
{
    std::vector<int> widths(std::begin(kFixedWidths), std::end(kFixedWidths));
    // One pixel per column goes to the grid lines.
    int rest = grid_.ClientWidth() - kFixedWidthSum - ColumnCount;
    // A column grows only with room that "Zeit" can spare beyond a run time
    // of minutes: at the smallest window the result comes first, and a text
    // that does not fit is shown cut, with a mark.
    const int zeitNeeds = grid_.ColumnWidthFor(QLatin1String(kWidestTexts[ColZeit]));
    for (const std::vector<int>& columns : kGrowthOrder) {
        int extra = 0;
        for (const int col : columns)
            extra += std::max(0, grid_.ColumnWidthFor(QLatin1String(kWidestTexts[col])) - widths[col]);
        if (extra == 0 || rest - extra < zeitNeeds)
            continue;
        for (const int col : columns)
            widths[col] = std::max(widths[col], grid_.ColumnWidthFor(QLatin1String(kWidestTexts[col])));
        rest -= extra;
    }
    widths[ColZeit] = std::max(0, rest);
    for (int col = 0; col < ColumnCount; ++col)
        grid_.SetColWidths(col, widths[col]);
}

bool ProtocolTable::SelectedRowVoidable() const
{
    const int row = grid_.Row();
    if (!IsDataRow(row))
        return false;
    for (int col = ColStart; col < grid_.ColCount(); ++col) {
        if (grid_.Cells(col, row) == kVoided)
            return false;
    }
    return true;
}

void ProtocolTable::DeleteSelectedRow()
{
    const int row = grid_.Row();
    if (!IsDataRow(row))
        return;
    const ChangeScope change(*this);
    grid_.DeleteRow(row);
}

void ProtocolTable::RemoveEmptyRows()
{
    const ChangeScope change(*this);
    for (int row = grid_.RowCount() - 1; row >= 1; --row) {
        if (IsBlankText(grid_.Cells(ColZeit, row)))
            grid_.DeleteRow(row);
    }
}

ProtocolRows ProtocolTable::Rows() const
{
    ProtocolRows rows(static_cast<std::size_t>(grid_.RowCount()));
    for (int row = 0; row < grid_.RowCount(); ++row) {
        for (int col = 0; col < ColumnCount; ++col)
            rows[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)] = grid_.Cells(col, row);
    }
    return rows;
}

void ProtocolTable::ReplaceRows(const ProtocolRows& dataRows)
{
    const ChangeScope change(*this);
    grid_.BeginUpdate();
    grid_.SetRowCount(2);
    ClearCells(1);
    grid_.SetRowCount(1 + std::max(1, static_cast<int>(dataRows.size())));
    for (std::size_t i = 0; i < dataRows.size(); ++i) {
        for (int col = 0; col < ColumnCount; ++col)
            grid_.SetCells(col, static_cast<int>(i) + 1, dataRows[i][static_cast<std::size_t>(col)]);
    }
    grid_.EndUpdate();
}

void ProtocolTable::Clear()
{
    const ChangeScope change(*this);
    ReplaceRows({});
    bestTime_ = 0;
}

bool ProtocolTable::LoadProtocolText(const LoadedProtocol& loaded, const QString& selectStartNumber, bool runden)
{
    const ChangeScope change(*this);
    ReplaceRows(loaded.rows);
    // A file that broke off is shown as far as it was read, but neither
    // ranked nor taken as a reason to change the commands.
    if (!loaded.opened || !loaded.complete)
        return false;
    RankProtocol(selectStartNumber, runden);
    UpdateProtocolCommands();
    return true;
}

void ProtocolTable::SortGrid1GetSortStyle(TSortGrid*, int col, TSortStyle& style)
{
    switch (col) {
    case ColNr:
    case ColKmh:
    case ColPlatz:
        style = ssNumeric;
        break;
    case ColStart:
    case ColStopp:
    case ColZeit:
        // The grid forgets the comparison after every sort: give it anew.
        grid_.SortOptions().SortCompare = CompareTimeText;
        style = ssCustom;
        break;
    default:
        break;
    }
}

void ProtocolTable::SortGrid1GetCellFormat(TSortGrid*, int, int row, TGridDrawState, TFormatOptions& format,
    bool&, bool&, bool&)
{
    if (row == 0)
        format.AlignmentHorz = Qt::AlignLeft;
}

int ProtocolTable::NewRunRow()
{
    int row = grid_.RowCount() - 1;
    if (!grid_.Cells(ColNr, row).isEmpty()) {
        grid_.SetRowCount(grid_.RowCount() + 1);
        row = grid_.RowCount() - 1;
    }
    ClearCells(row);
    return row;
}

void ProtocolTable::ClearCells(int row)
{
    for (int col = 0; col < grid_.ColCount(); ++col)
        grid_.SetCells(col, row, QString());
}

bool ProtocolTable::IsDataRow(int row) const
{
    return row >= 1 && row < grid_.RowCount();
}
