#include "TSortGrid.h"

#include "GridPictures.h"
#include "SortGridDelegate.h"
#include "SortGridHeader.h"
#include "SortGridModel.h"

#include <QApplication>
#include <QLocale>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QScrollBar>
#include <algorithm>
#include <cmath>

namespace {

// Case folding of A-Z only, as the comparison is defined.
QChar FoldAscii(QChar c)
{
    return c >= QLatin1Char('A') && c <= QLatin1Char('Z') ? QChar(c.unicode() + ('a' - 'A')) : c;
}

QString FoldAscii(const QString& text)
{
    // Most texts are digits and punctuation: share them instead of copying.
    const auto upper = std::find_if(text.begin(), text.end(), [](QChar c) { return FoldAscii(c) != c; });
    if (upper == text.end())
        return text;
    QString folded = text;
    for (QChar& c : folded)
        c = FoldAscii(c);
    return folded;
}

bool EqualsFolded(const QString& text, const QString& folded)
{
    if (text.size() != folded.size())
        return false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (FoldAscii(text[i]) != folded[i])
            return false;
    }
    return true;
}

int Sign(int v)
{
    return (v > 0) - (v < 0);
}

// A number in the locale's format. Group separators are refused, so a text
// such as "1.500" is never read as fifteen hundred in one row and compared
// as text in another; "nan" and "inf" would make the order inconsistent.
bool ToNumber(const QString& text, double* number)
{
    QLocale locale;
    locale.setNumberOptions(QLocale::RejectGroupSeparator);
    bool ok = false;
    *number = locale.toDouble(text, &ok);
    return ok && std::isfinite(*number);
}

} // namespace

TSortGrid::TSortGrid(QWidget* parent)
    : QTableView(parent)
    , model_(new SortGridModel(this))
    , shown_(model_)
    , header_(new SortGridHeader(this))
    , arrowUp_(SortArrowPicture(true))
    , arrowDown_(SortArrowPicture(false))
{
    setHorizontalHeader(header_);
    setModel(model_);
    setItemDelegate(new SortGridDelegate(this));
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setTabKeyNavigation(false);
    setWordWrap(false);
    message_ = [this](const QString& text) { QMessageBox::warning(this, QString(), text); };
    // A new grid: a header row and one empty data row, five columns, with
    // the data row current, so Row() always names a data row.
    model_->SetCols(5);
    model_->SetRows(2);
    Silently([this] { setCurrentIndex(model_->index(0, 0)); });
    selectionList_ = {1};
    // Input is refused while a sort runs (see eventFilter).
    installEventFilter(this);
    viewport()->installEventFilter(this);
    header_->viewport()->installEventFilter(this);
}

template<typename Change>
void TSortGrid::Silently(Change change)
{
    const bool wasSilent = silent_;
    silent_ = true;
    change();
    silent_ = wasSilent;
}

bool TSortGrid::Shown() const
{
    return shown_ != model_;
}

void TSortGrid::ShowModel(QAbstractItemModel* rows)
{
    shown_ = rows ? rows : model_;
    // The model's own moves of the current row are not the operator's: the
    // "about to" handlers run before the view's, the closing ones after.
    auto hush = [this] { silent_ = true; };
    auto speak = [this] { silent_ = false; };
    if (Shown()) {
        connect(shown_, &QAbstractItemModel::rowsAboutToBeRemoved, this, hush);
        connect(shown_, &QAbstractItemModel::modelAboutToBeReset, this, hush);
        connect(shown_, &QAbstractItemModel::layoutAboutToBeChanged, this, hush);
    }
    Silently([&] { setModel(shown_); });
    if (Shown()) {
        connect(shown_, &QAbstractItemModel::rowsRemoved, this, speak);
        connect(shown_, &QAbstractItemModel::modelReset, this, speak);
        connect(shown_, &QAbstractItemModel::layoutChanged, this, speak);
        // Rows in or out: back to the top, as for the grid's own cells.
        connect(shown_, &QAbstractItemModel::rowsInserted, this, [this] { SizeChanged(); });
        connect(shown_, &QAbstractItemModel::rowsRemoved, this, [this] { SizeChanged(); });
        // A model that goes first leaves the grid its own cells.
        connect(shown_, &QObject::destroyed, this, [this] {
            shown_ = model_;
            Silently([this] { setModel(model_); });
        });
    }
    selectionList_.clear();
}

// A shown model that is the grid's own child goes while the grid is half
// gone: it must not reach back into the grid then.
TSortGrid::~TSortGrid()
{
    if (Shown())
        disconnect(shown_, nullptr, this, nullptr);
}

QString TSortGrid::Cells(int col, int row) const
{
    if (!Shown())
        return model_->Cell(col, row);
    if (row == 0)
        return shown_->headerData(col, Qt::Horizontal, Qt::DisplayRole).toString();
    return shown_->index(row - 1, col).data(Qt::DisplayRole).toString();
}

void TSortGrid::SetCells(int col, int row, const QString& text)
{
    if (!Shown())
        model_->SetCell(col, row, text);
    else if (row > 0)
        shown_->setData(shown_->index(row - 1, col), text, Qt::EditRole);
}

QStringList TSortGrid::Rows(int row) const
{
    if (!Shown())
        return model_->Row(row);
    QStringList texts;
    if (row < 0 || row >= RowCount())
        return texts;
    for (int col = 0; col < ColCount(); ++col)
        texts.append(Cells(col, row));
    return texts;
}

void TSortGrid::SetRows(int row, const QStringList& texts)
{
    if (Shown()) {
        for (int col = 0; col < ColCount() && row > 0; ++col)
            shown_->setData(shown_->index(row - 1, col), texts.value(col), Qt::EditRole);
        return;
    }
    model_->SetRow(row, texts);
}

void TSortGrid::SetRowText(int row, const QString& lines)
{
    SetRows(row, lines.split(QRegularExpression(QStringLiteral("\r\n|\n|\r"))));
}

void TSortGrid::ClearRow(int row)
{
    SetRows(row, {});
}

int TSortGrid::RowCount() const
{
    return Shown() ? shown_->rowCount() + 1 : model_->Rows();
}

void TSortGrid::SetRowCount(int count)
{
    if (count == RowCount())
        return;
    if (Shown()) {
        const int rows = shown_->rowCount();
        if (count - 1 > rows)
            shown_->insertRows(rows, count - 1 - rows);
        else if (count >= 1)
            shown_->removeRows(count - 1, rows - (count - 1));
        return;
    }
    Silently([&] { model_->SetRows(count); });
    SizeChanged();
}

int TSortGrid::ColCount() const
{
    return Shown() ? shown_->columnCount() : model_->Cols();
}

void TSortGrid::SetColCount(int count)
{
    if (Shown())
        return;
    if (count == ColCount())
        return;
    Silently([&] { model_->SetCols(count); });
    SizeChanged();
}

int TSortGrid::ColWidths(int col) const
{
    return header_->sectionSize(col);
}

void TSortGrid::SetColWidths(int col, int width)
{
    header_->resizeSection(col, width);
}

int TSortGrid::DefaultRowHeight() const
{
    return verticalHeader()->defaultSectionSize();
}

void TSortGrid::SetDefaultRowHeight(int height)
{
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setDefaultSectionSize(height);
    // The header row is a row of the grid: it has the same height.
    header_->updateGeometry();
    updateGeometries();
}

int TSortGrid::ClientWidth() const
{
    return viewport()->width();
}

int TSortGrid::Row() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() + 1 : 0;
}

void TSortGrid::SelectRow(int row)
{
    if (row < 1 || row >= RowCount())
        return;
    // The selection rectangle only: no selection check, no notification.
    silent_ = true;
    const QModelIndex anchor = shown_->index(row - 1, 0);
    selectionModel()->setCurrentIndex(shown_->index(row - 1, ColCount() - 1), QItemSelectionModel::NoUpdate);
    selectionModel()->select(QItemSelection(anchor, shown_->index(row - 1, ColCount() - 1)),
                             QItemSelectionModel::ClearAndSelect);
    silent_ = false;
}

int TSortGrid::FindRow(int col, const QString& text, bool ignoreCase) const
{
    if (col < 0 || col >= ColCount())
        return -1;
    const QString wanted = ignoreCase ? FoldAscii(text) : text;
    if (Shown()) {
        for (int r = 1; r < RowCount(); ++r) {
            const QString cell = Cells(col, r);
            if (ignoreCase ? EqualsFolded(cell, wanted) : cell == wanted)
                return r;
        }
        return -1;
    }
    const auto& rows = model_->AllRows();
    for (int r = 1; r < rows.size(); ++r) {
        const QString& cell = rows[r].at(col);
        if (ignoreCase ? EqualsFolded(cell, wanted) : cell == wanted)
            return r;
    }
    return -1;
}

void TSortGrid::DeleteRow(int row)
{
    if (RowCount() < 3) {
        ClearRow(1);
        return;
    }
    if (row < 1 || row >= RowCount())
        return;
    if (Shown()) {
        shown_->removeRows(row - 1, 1);
        return;
    }
    Silently([&] { model_->RemoveRow(row); });
    SizeChanged();
}

TSortGrid::SortKey TSortGrid::MakeKey(const QString& text, int row) const
{
    SortKey key;
    key.text = options_.SortCaseSensitive ? text : FoldAscii(text);
    key.row = row;
    if (options_.SortStyle == ssNumeric)
        key.isNumber = ToNumber(key.text, &key.number);
    return key;
}

int TSortGrid::CompareEntries(const SortKey& a, const SortKey& b) const
{
    int result;
    if (options_.SortStyle == ssNumeric && a.isNumber && b.isNumber)
        result = (a.number > b.number) - (a.number < b.number);
    else if (options_.SortStyle == ssCustom && options_.SortCompare)
        result = Sign(options_.SortCompare(a.text, b.text));
    else
        result = Sign(QString::compare(a.text, b.text, Qt::CaseSensitive));
    // Equal texts keep their former order in either direction.
    if (result == 0)
        return (a.row > b.row) - (a.row < b.row);
    return options_.SortDirection == sdDescending ? -result : result;
}

void TSortGrid::SortByColumn(int col)
{
    if (!options_.CanSort)
        return;
    options_.SortCol = col;
    BeginUpdate();
    // A shown model sorts itself; the selection follows its rows there.
    if (Shown()) {
        shown_->sort(col, options_.SortDirection == sdDescending ? Qt::DescendingOrder : Qt::AscendingOrder);
        EndUpdate();
        return;
    }
    const QList<int> remembered = selectionList_;
    const QVector<QStringList>& snapshot = model_->AllRows();

    if (OnGetSortStyle) {
        TSortStyle style = options_.SortStyle;
        OnGetSortStyle(this, col, style);
        options_.SortStyle = style;
    }
    // Each row's key is prepared once, so the comparisons only compare.
    std::vector<SortKey> entries;
    entries.reserve(std::size_t(std::max(0, int(snapshot.size()) - 1)));
    for (int r = 1; r < snapshot.size(); ++r)
        entries.push_back(MakeKey(snapshot[r].value(col), r));
    // A merge sort: the numeric fallback to text order and an owner's
    // comparison need not be transitive, and a partitioning sort can run
    // past the ends of its range when they are not.
    std::stable_sort(entries.begin(), entries.end(),
                     [this](const SortKey& a, const SortKey& b) { return CompareEntries(a, b) < 0; });

    QVector<QStringList> sorted;
    sorted.reserve(int(entries.size()));
    QList<int> newSelection;
    for (std::size_t k = 0; k < entries.size(); ++k) {
        sorted.append(snapshot[entries[k].row]);
        if (remembered.contains(entries[k].row))
            newSelection.append(int(k) + 1);
    }
    model_->ReplaceDataRows(std::move(sorted));
    if (!newSelection.isEmpty()) {
        const int target = newSelection.first();
        if (target != Row())
            JumpToCell(currentIndex().isValid() ? currentIndex().column() : 0, target, false);
        selectionList_ = newSelection;
    }
    options_.SortCompare = nullptr;
    EndUpdate();
}

void TSortGrid::HeaderClick(int col, Qt::MouseButton button)
{
    if (button == Qt::RightButton)
        options_.SortDirection = sdDescending;
    else if (options_.SortDirection == sdDescending)
        options_.SortDirection = sdAscending;
    else
        options_.SortDirection = col == options_.SortCol ? sdDescending : sdAscending;
    SortByColumn(col);
    header_->viewport()->update();
}

void TSortGrid::JumpToCell(int col, int row, bool show)
{
    if (RowCount() < 2 || ColCount() < 1)
        return;
    col = std::clamp(col, 0, ColCount() - 1);
    row = std::clamp(row, 1, RowCount() - 1);
    Silently([&] { setCurrentIndex(shown_->index(row - 1, col)); });
    if (show) {
        const int top = std::clamp(row - 1, 1, std::max(1, RowCount() - FullyVisibleRows()));
        verticalScrollBar()->setValue(top - 1);
    }
    RowAccepted(row);
}

int TSortGrid::FullyVisibleRows() const
{
    const int height = std::max(1, DefaultRowHeight());
    return std::max(1, viewport()->height() / height);
}

void TSortGrid::RowAccepted(int row)
{
    selectionList_ = {row};
    Q_EMIT RowSelected();
}

void TSortGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QTableView::currentChanged(current, previous);
    // Mouse and keyboard moves pass the selection check here; the grid's own
    // moves report themselves.
    if (!silent_ && current.isValid() && current.row() != previous.row())
        RowAccepted(current.row() + 1);
}

void TSortGrid::keyboardSearch(const QString& search)
{
    if (search.size() != 1 || RowCount() < 2)
        return;
    auto upper = [](QChar c) { return c >= QLatin1Char('a') && c <= QLatin1Char('z') ? QChar(c.unicode() - 32) : c; };
    const QChar wanted = upper(search.at(0));
    const int col = options_.SortCol;
    auto matches = [&](int r) {
        const QString cell = Cells(col, r);
        return !cell.isEmpty() && upper(cell.at(0)) == wanted;
    };
    const int current = std::max(1, Row());
    for (int r = current + 1; r < RowCount(); ++r) {
        if (matches(r)) {
            JumpToCell(col, r, true);
            return;
        }
    }
    for (int r = 1; r <= current && r < RowCount(); ++r) {
        if (matches(r)) {
            JumpToCell(col, r, true);
            return;
        }
    }
}

bool TSortGrid::eventFilter(QObject* watched, QEvent* event)
{
    // No input while a sort runs. The grid is not disabled for it: that
    // would take the keyboard focus away from it for good.
    if (Updating()) {
        switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
            return true;
        default:
            break;
        }
    }
    return QTableView::eventFilter(watched, event);
}

void TSortGrid::mousePressEvent(QMouseEvent* event)
{
    // The right button opens the popup menu without moving the selection.
    if (event->button() == Qt::RightButton)
        return;
    QTableView::mousePressEvent(event);
}

void TSortGrid::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::RightButton) {
        if (popupMenu_)
            popupMenu_->popup(event->globalPosition().toPoint());
        return;
    }
    QTableView::mouseReleaseEvent(event);
}

void TSortGrid::SizeChanged()
{
    if (Updating())
        return;
    if (options_.UpdateOnSizeChange)
        SortByColumn(options_.SortCol);
    JumpToCell(0, 1, true);
    if (RowCount() < 2 && message_)
        message_(QStringLiteral("Rowsize too small"));
}

void TSortGrid::BeginUpdate()
{
    // Only the outermost pair acts, so an owner's update around a sort keeps
    // its saved options and cursor.
    if (updateDepth_++ > 0)
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    setUpdatesEnabled(false);
    model_->HoldNotifications();
    savedUpdateOnSizeChange_ = options_.UpdateOnSizeChange;
    options_.UpdateOnSizeChange = false;
}

void TSortGrid::EndUpdate()
{
    if (updateDepth_ == 0 || --updateDepth_ > 0)
        return;
    model_->ReleaseNotifications();
    setUpdatesEnabled(true);
    if (isVisible())
        viewport()->repaint();
    // The arrow follows the sort options, which the owner may change right
    // after the sort; the header reads them when it paints.
    header_->viewport()->update();
    QApplication::restoreOverrideCursor();
    options_.UpdateOnSizeChange = savedUpdateOnSizeChange_;
}

void TSortGrid::AutoSizeColumn(int col)
{
    if (col < 0 || col >= ColCount())
        return;
    const QFontMetrics metrics(font());
    int widest = 0;
    for (int r = 0; r < RowCount(); ++r) {
        // Each text is measured in the font its cell is drawn with.
        const QFontMetrics cellMetrics(CellFormat(col, r, r == 0 ? gdFixed : 0).Font);
        int width = cellMetrics.horizontalAdvance(Cells(col, r));
        if (r == 0 && col == options_.SortCol && options_.CanSort)
            width += 12;
        widest = std::max(widest, width);
    }
    SetColWidths(col, widest > 0 ? metrics.horizontalAdvance(QStringLiteral("X")) + widest
                                 : metrics.horizontalAdvance(QStringLiteral("xx")));
}

void TSortGrid::SetAlignmentHorz(Qt::Alignment alignment)
{
    alignmentHorz_ = alignment;
    viewport()->update();
}

void TSortGrid::SetAlignmentVert(TVertAlignment alignment)
{
    alignmentVert_ = alignment;
    viewport()->update();
}

void TSortGrid::SetBevelStyle(TCellBevelStyle style)
{
    bevelStyle_ = style;
    viewport()->update();
}

TFormatOptions TSortGrid::CellFormat(int col, int row, TGridDrawState state) const
{
    TFormatOptions format;
    const QPalette& pal = palette();
    if (row == 0 || (state & gdFixed))
        format.Brush = pal.brush(QPalette::Button);
    else
        format.Brush = (state & gdSelected) ? pal.brush(QPalette::Highlight) : pal.brush(QPalette::Base);
    format.Font = font();
    format.AlignmentHorz = alignmentHorz_;
    format.AlignmentVert = alignmentVert_;
    format.BevelStyle = bevelStyle_;
    switch (bevelStyle_) {
    case cbRaised:
        format.BevelHighlight = pal.color(QPalette::Light);
        format.BevelShadow = pal.color(QPalette::Dark);
        break;
    case cbLowered:
        format.BevelHighlight = pal.color(QPalette::Dark);
        format.BevelShadow = pal.color(QPalette::Light);
        break;
    case cbNone:
        format.BevelHighlight = format.BevelShadow = pal.color(QPalette::Base);
        break;
    }
    bool checkBox = false, combobox = false, ellipsis = false;
    if (OnGetCellFormat)
        OnGetCellFormat(const_cast<TSortGrid*>(this), col, row, state, format, checkBox, combobox, ellipsis);
    return format;
}

QString TSortGrid::ShortenedHeader(const QString& text, int available, const QFontMetrics& metrics) const
{
    if (metrics.horizontalAdvance(text) <= available || text.size() < 3)
        return text;
    QString shortened = text.left(text.size() - 2) + QStringLiteral("..");
    while (metrics.horizontalAdvance(shortened) > available && shortened.size() > 3) {
        shortened.chop(1);
        shortened[shortened.size() - 2] = QLatin1Char('.');
    }
    return shortened;
}

QPoint TSortGrid::TextOffset(const TFormatOptions& format, const QSize& cell, const QSize& text) const
{
    int x = 2;
    if (format.AlignmentHorz & Qt::AlignRight)
        x = cell.width() - text.width() - 2;
    else if (format.AlignmentHorz & Qt::AlignHCenter)
        x = (cell.width() - text.width()) / 2;
    int y = 2;
    if (format.AlignmentVert == taBottomJustify)
        y = cell.height() - text.height() - 3;
    else if (format.AlignmentVert == taMiddle)
        y = (cell.height() - text.height()) / 2;
    return {x, y};
}

QString TSortGrid::FittedCellText(const QString& text, int cellWidth, const QFontMetrics& metrics, int* width)
{
    const int room = cellWidth - 2 * TextMargin;
    const int full = text.isEmpty() ? 0 : metrics.horizontalAdvance(text);
    if (full <= room) {
        if (width)
            *width = full;
        return text;
    }
    QString fitted = metrics.elidedText(text, Qt::ElideRight, room);
    // A cell too narrow even for the mark shows the mark, not an empty cell.
    if (fitted.isEmpty())
        fitted = QString(QChar(0x2026));
    if (width)
        *width = metrics.horizontalAdvance(fitted);
    return fitted;
}

int TSortGrid::ColumnWidthFor(const QString& text) const
{
    return QFontMetrics(font()).horizontalAdvance(text) + 2 * TextMargin + (showGrid() ? 1 : 0);
}

const QPixmap& TSortGrid::ArrowGlyph(TSortDirection direction) const
{
    return direction == sdAscending ? arrowUp_ : arrowDown_;
}

void TSortGrid::resizeEvent(QResizeEvent* event)
{
    QTableView::resizeEvent(event);
    StretchLastColumn();
    Q_EMIT Resized();
}

void TSortGrid::StretchLastColumn()
{
    const int last = ColCount() - 1;
    const int first = header_->logicalIndexAt(0);
    // Only when the last column starts inside the visible area; the grid
    // lines lie inside the columns, so the columns fill the client width.
    if (last < 0 || first < 0 || header_->sectionViewportPosition(last) >= ClientWidth())
        return;
    int others = 0;
    for (int c = first; c < last; ++c)
        others += ColWidths(c);
    const int width = ClientWidth() - others;
    if (width > 0)
        SetColWidths(last, width);
}
