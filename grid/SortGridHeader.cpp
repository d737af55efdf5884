#include "SortGridHeader.h"

#include "TSortGrid.h"

#include <QMouseEvent>
#include <QPainter>

SortGridHeader::SortGridHeader(TSortGrid* grid)
    : QHeaderView(Qt::Horizontal, grid)
    , grid_(grid)
{
    setSectionsClickable(false);
    setHighlightSections(false);
    setSectionResizeMode(QHeaderView::Interactive);
}

int SortGridHeader::EdgeColumn(int x, int zone, bool* leftEdge) const
{
    const int col = logicalIndexAt(x);
    if (col < 0)
        return -1;
    const int left = sectionViewportPosition(col);
    const int right = left + sectionSize(col);
    if (x - left < zone) {
        if (leftEdge)
            *leftEdge = true;
        return col;
    }
    if (right - x <= zone) {
        if (leftEdge)
            *leftEdge = false;
        return col;
    }
    return -1;
}

QSize SortGridHeader::sizeHint() const
{
    return {QHeaderView::sizeHint().width(), grid_->DefaultRowHeight()};
}

void SortGridHeader::mousePressEvent(QMouseEvent* event)
{
    const int x = event->position().toPoint().x();
    pressedColumn_ = logicalIndexAt(x);
    // A press in an edge zone starts column sizing, never a sort.
    pressedOnEdge_ = EdgeColumn(x, 5) >= 0;
    QHeaderView::mousePressEvent(event);
}

void SortGridHeader::mouseReleaseEvent(QMouseEvent* event)
{
    QHeaderView::mouseReleaseEvent(event);
    const int x = event->position().toPoint().x();
    const int col = logicalIndexAt(x);
    const bool sameColumn = col >= 0 && col == pressedColumn_;
    const bool pressedOnEdge = pressedOnEdge_;
    pressedColumn_ = -1;
    pressedOnEdge_ = false;
    // The zones at the edges belong to column sizing.
    if (sameColumn && !pressedOnEdge && EdgeColumn(x, 5) < 0)
        grid_->HeaderClick(col, event->button());
}

void SortGridHeader::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The base class would fit the column to its contents in its own way;
    // the grid's AutoSizeColumn is the only fitting there is.
    event->accept();
    bool leftEdge = false;
    const int col = event->button() == Qt::LeftButton ? EdgeColumn(event->position().toPoint().x(), 3, &leftEdge) : -1;
    const int target = leftEdge ? col - 1 : col;
    if (col >= 0 && target >= 0)
        grid_->AutoSizeColumn(target);
}

void SortGridHeader::paintSection(QPainter* painter, const QRect& rect, int col) const
{
    const TFormatOptions format = grid_->CellFormat(col, 0, gdFixed);
    painter->save();
    painter->fillRect(rect, format.Brush);
    painter->setPen(palette().color(QPalette::Mid));
    painter->drawLine(rect.topRight(), rect.bottomRight());
    painter->drawLine(rect.bottomLeft(), rect.bottomRight());

    const TSortOptions& options = grid_->SortOptions();
    const bool sortColumn = options.CanSort && col == options.SortCol;
    int left = rect.left();
    if (sortColumn) {
        const QPixmap& arrow = grid_->ArrowGlyph(options.SortDirection);
        const int arrowWidth = rect.width() <= 10 ? std::max(0, rect.width() - 3) : arrow.width();
        painter->drawPixmap(QRect(rect.left() + 3, rect.top() + rect.height() / 2 - 4, arrowWidth, arrow.height()),
                            arrow, QRect(0, 0, arrowWidth, arrow.height()));
        left += 10;
    }

    painter->setFont(format.Font);
    const QFontMetrics metrics(format.Font);
    const int available = rect.width() - (sortColumn ? 12 : 1);
    const QString text = grid_->ShortenedHeader(grid_->Cells(col, 0), available, metrics);
    if (!format.HideText) {
        const QSize textSize(metrics.horizontalAdvance(text), metrics.height());
        const QPoint offset = grid_->TextOffset(format, rect.size(), textSize);
        painter->setClipRect(rect);
        painter->setPen(palette().color(QPalette::ButtonText));
        painter->drawText(QPoint(left + offset.x(), rect.top() + offset.y() + metrics.ascent()), text);
    }
    painter->restore();
}
