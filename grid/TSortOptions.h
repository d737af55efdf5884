#pragma once

#include <QBrush>
#include <QColor>
#include <QFont>
#include <QString>
#include <functional>

enum TSortStyle { ssAutomatic, ssNormal, ssNumeric, ssNumericExtended, ssDateTime, ssTime, ssCustom };
enum TSortDirection { sdAscending, sdDescending };
enum TVertAlignment { taTopJustify, taBottomJustify, taMiddle };
enum TCellBevelStyle { cbNone, cbRaised, cbLowered };

using TSortCompare = std::function<int(const QString&, const QString&)>;

// How the grid sorts. The owner sets the style per column through the
// grid's OnGetSortStyle; SortCompare lives only for one sort.
struct TSortOptions
{
    QString SecondaryIndex;
    bool CanSort = true;
    TSortStyle SortStyle = ssNormal;
    bool SortCaseSensitive = false;
    int SortCol = 0;
    TSortDirection SortDirection = sdAscending;
    TSortCompare SortCompare;
    bool UpdateOnSizeChange = false;
};

// The drawing state of a cell.
enum TGridDrawStateFlag { gdSelected = 0x1, gdFocused = 0x2, gdFixed = 0x4 };
using TGridDrawState = int;

// How one cell is drawn; the owner may change it in OnGetCellFormat.
struct TFormatOptions
{
    QBrush Brush;
    QFont Font;
    Qt::Alignment AlignmentHorz = Qt::AlignLeft;
    TVertAlignment AlignmentVert = taTopJustify;
    TCellBevelStyle BevelStyle = cbNone;
    QColor BevelHighlight;
    QColor BevelShadow;
    bool HideText = false;
};
