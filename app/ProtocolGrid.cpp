#include "ProtocolGrid.h"

#include "DeskFont.h"
#include "ProtocolModel.h"
#include "TSortGrid.h"

#include <QFont>
#include <QItemSelectionModel>
#include <QPointer>

#include <algorithm>
#include <iterator>
#include <vector>

namespace {

// Widths of the columns around "Zeit", which takes the rest.
constexpr int kFixedWidths[ProtocolModel::ColumnCount] = {32, 80, 80, 0, 40, 40};
constexpr int kFixedWidthSum = 32 + 80 + 80 + 40 + 40;
// The widest text each of them holds in the course of an event: a start
// number up to 9999, a clock time after 10 o'clock, a speed up to 999,9
// km/h, a place; and the run time "Zeit" must show whole first: minutes.
const char* const kWidestTexts[ProtocolModel::ColumnCount] = {"9999", "00:00.00,00", "00:00.00,00", "0.00,00",
                                                              "999,9", "9999"};
// The order in which columns whose texts the font draws wider than designed
// may grow: the two clock times together, then Nr., km/h and Platz.
const std::vector<std::vector<int>> kGrowthOrder = {
    {ProtocolModel::ColStart, ProtocolModel::ColStopp}, {ProtocolModel::ColNr}, {ProtocolModel::ColKmh},
    {ProtocolModel::ColPlatz}};

} // namespace

ProtocolGrid::ProtocolGrid(TSortGrid& grid, ProtocolModel& model)
    : QObject(&grid)
    , grid_(grid)
    , model_(model)
{
    SetUpGrid();
    // The window's resize reaches the grid through the layouts; "Zeit" takes
    // what the other columns leave once the grid has its new size.
    connect(&grid_, &TSortGrid::Resized, this, &ProtocolGrid::FitProtocolColumns);
}

void ProtocolGrid::SetUpGrid()
{
    grid_.ShowModel(&model_);
    grid_.SetDefaultRowHeight(19);
    grid_.setFont(DeskFontPixels(15, false));
    grid_.SetAlignmentHorz(Qt::AlignRight);
    grid_.SetAlignmentVert(taMiddle);
    grid_.SetBevelStyle(cbNone);

    TSortOptions& sort = grid_.SortOptions();
    sort.CanSort = true;
    sort.SortStyle = ssNormal;
    sort.SortCaseSensitive = false;
    sort.SortCol = ProtocolModel::ColZeit;
    sort.SortDirection = sdAscending;
    sort.UpdateOnSizeChange = false;
    for (int col = 0; col < ProtocolModel::ColumnCount; ++col)
        grid_.SetColWidths(col, 48);
    grid_.SetColWidths(ProtocolModel::ColPlatz, 524);

    // The handler must not outlive this object if it goes before the grid.
    const QPointer<ProtocolGrid> self(this);
    grid_.OnGetCellFormat = [self](TSortGrid*, int, int row, TGridDrawState, TFormatOptions& format, bool&, bool&,
                                bool&) {
        if (self && row == 0)
            format.AlignmentHorz = Qt::AlignLeft;
    };
    grid_.SelectRow(model_.SelectedRow());
    connect(&model_, &ProtocolModel::SelectionMoved, &grid_, [this](int row) { grid_.SelectRow(row); });
    connect(grid_.selectionModel(), &QItemSelectionModel::currentRowChanged, &model_,
            [this](const QModelIndex& current) { model_.SetSelectedRow(current.isValid() ? current.row() + 1 : 0); });
    connect(&model_, &ProtocolModel::Changed, this, [this] {
        if (model_.Ranked())
            grid_.SortOptions().CanSort = false;
    });
    // A new row can bring the scroll bar, which takes width from "Zeit".
    connect(&model_, &QAbstractItemModel::rowsInserted, this, &ProtocolGrid::FitProtocolColumns);
    connect(&model_, &QAbstractItemModel::modelReset, this, &ProtocolGrid::FitProtocolColumns);
}

void ProtocolGrid::FitProtocolColumns()
{
    std::vector<int> widths(std::begin(kFixedWidths), std::end(kFixedWidths));
    // One pixel per column goes to the grid lines.
    int rest = grid_.ClientWidth() - kFixedWidthSum - ProtocolModel::ColumnCount;
    // A column grows only with room that "Zeit" can spare beyond a run time
    // of minutes: at the smallest window the result comes first, and a text
    // that does not fit is shown cut, with a mark.
    const int zeitNeeds = grid_.ColumnWidthFor(QLatin1String(kWidestTexts[ProtocolModel::ColZeit]));
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
    widths[ProtocolModel::ColZeit] = std::max(0, rest);
    for (int col = 0; col < ProtocolModel::ColumnCount; ++col)
        grid_.SetColWidths(col, widths[col]);
}
