#pragma once

#include "TSortOptions.h"

#include <QMenu>
#include <QPixmap>
#include <QPointer>
#include <QTableView>
#include <functional>

class SortGridHeader;
class SortGridModel;

// A string grid that reorders its data rows by one column with a comparison
// chosen per column by its owner, reports row selection and asks its owner
// how to draw each cell. Cells are addressed (column, row) with row 0 the
// fixed header row and rows 1.. the data rows.
//
// The sort compares one small entry per row (the sort column's text and the
// row's former index) and writes every row back once, with painting
// suspended, so the grid paints once at the end.
class TSortGrid : public QTableView
{
    Q_OBJECT
public:
    explicit TSortGrid(QWidget* parent = nullptr);
    ~TSortGrid() override;

    // Shows rows that another model owns (row 0 its horizontal header, rows
    // 1.. its rows) instead of the grid's own cells; null returns to them.
    // While shown, the model owns the rows: the cell and row setters leave
    // them alone, and a sort asks the model to sort itself.
    void ShowModel(QAbstractItemModel* rows);

    QString Cells(int col, int row) const;
    void SetCells(int col, int row, const QString& text);
    QStringList Rows(int row) const;
    void SetRows(int row, const QStringList& texts);
    // Sets a row from line-separated text, one line per cell.
    void SetRowText(int row, const QString& lines);
    void ClearRow(int row);
    int RowCount() const;
    void SetRowCount(int count);
    int ColCount() const;
    void SetColCount(int count);
    int ColWidths(int col) const;
    void SetColWidths(int col, int width);
    int DefaultRowHeight() const;
    void SetDefaultRowHeight(int height);
    int ClientWidth() const;

    // The current row: a data row whenever the grid has one, 0 otherwise.
    int Row() const;
    // Selects the whole row without raising RowSelected; the selection
    // list stays as it is.
    void SelectRow(int row);
    int FindRow(int col, const QString& text, bool ignoreCase) const;
    void DeleteRow(int row);
    void SortByColumn(int col);
    TSortOptions& SortOptions() { return options_; }
    const TSortOptions& SortOptions() const { return options_; }

    void JumpToCell(int col, int row, bool show);
    void AutoSizeColumn(int col);
    void BeginUpdate();
    void EndUpdate();
    bool Updating() const { return updateDepth_ > 0; }

    Qt::Alignment AlignmentHorz() const { return alignmentHorz_; }
    void SetAlignmentHorz(Qt::Alignment alignment);
    TVertAlignment AlignmentVert() const { return alignmentVert_; }
    void SetAlignmentVert(TVertAlignment alignment);
    TCellBevelStyle BevelStyle() const { return bevelStyle_; }
    void SetBevelStyle(TCellBevelStyle style);

    QMenu* PopupMenu() const { return popupMenu_.data(); }
    void SetPopupMenu(QMenu* menu) { popupMenu_ = menu; }
    // How a message such as "Rowsize too small" reaches the operator.
    void SetMessageHandler(std::function<void(const QString&)> handler) { message_ = std::move(handler); }

    std::function<void(TSortGrid* sender, int col, int row, TGridDrawState state, TFormatOptions& format,
                       bool& checkBox, bool& combobox, bool& ellipsis)>
        OnGetCellFormat;
    std::function<void(TSortGrid* sender, int col, TSortStyle& style)> OnGetSortStyle;

    // The record a cell is drawn with: the defaults, then the owner's changes.
    TFormatOptions CellFormat(int col, int row, TGridDrawState state) const;
    // The header text of a column as drawn in the given width.
    QString ShortenedHeader(const QString& text, int available, const QFontMetrics& metrics) const;
    // Offset of a text of the given size inside a cell.
    QPoint TextOffset(const TFormatOptions& format, const QSize& cell, const QSize& text) const;
    // Room kept free on each side of a data cell's text, so the texts of
    // two neighbouring cells never read as one.
    static constexpr int TextMargin = 2;
    // A data cell's text as drawn in a cell of the given width: whole when
    // it fits between the margins; otherwise its end is cut off and marked
    // with an ellipsis, so a cut number never reads as another number and
    // what is left is the telling part: the hour of a time, the leading
    // digits of a number, the first letters of a name.
    // width, when given, gets the shown text's width: measuring a text
    // shapes it, the most costly part of drawing a cell.
    static QString FittedCellText(const QString& text, int cellWidth, const QFontMetrics& metrics,
                                  int* width = nullptr);
    // The column width that shows text whole in the grid's font: the text,
    // both margins and the grid line.
    int ColumnWidthFor(const QString& text) const;
    // The direction arrows, 8 x 7 pixels.
    const QPixmap& ArrowGlyph(TSortDirection direction) const;
    // The header click: the direction rule, then the sort.
    void HeaderClick(int col, Qt::MouseButton button);

Q_SIGNALS:
    // The operator selected a row.
    void RowSelected();
    // After every resize of the grid, once its own last-column stretch is done.
    void Resized();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void keyboardSearch(const QString& search) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // One data row while sorting: its sort-column text (folded unless the
    // sort is case-sensitive), its number for the numeric style, its row.
    struct SortKey
    {
        QString text;
        double number = 0;
        bool isNumber = false;
        int row = 0;
    };
    SortKey MakeKey(const QString& text, int row) const;
    int CompareEntries(const SortKey& a, const SortKey& b) const;
    void RowAccepted(int row);
    // Runs a change of the cell store whose moves of the current cell are
    // the grid's own, so the selection check does not report them.
    template<typename Change>
    void Silently(Change change);
    void SizeChanged();
    void StretchLastColumn();
    int FullyVisibleRows() const;

    // Whether another model's rows are shown.
    bool Shown() const;

    SortGridModel* model_;
    QAbstractItemModel* shown_;
    SortGridHeader* header_;
    TSortOptions options_;
    QList<int> selectionList_;
    int updateDepth_ = 0;
    bool silent_ = false;
    bool savedUpdateOnSizeChange_ = false;
    Qt::Alignment alignmentHorz_ = Qt::AlignLeft;
    TVertAlignment alignmentVert_ = taTopJustify;
    TCellBevelStyle bevelStyle_ = cbNone;
    QPointer<QMenu> popupMenu_;
    std::function<void(const QString&)> message_;
    QPixmap arrowUp_;
    QPixmap arrowDown_;
};
