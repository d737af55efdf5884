#include "SortGridDelegate.h"

#include "TSortGrid.h"

#include <QPainter>

SortGridDelegate::SortGridDelegate(TSortGrid* grid)
    : QStyledItemDelegate(grid)
    , grid_(grid)
{
}

void SortGridDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const int col = index.column();
    const int row = index.row() + 1;
    TGridDrawState state = 0;
    if (option.state & QStyle::State_Selected)
        state |= gdSelected;
    if (option.state & QStyle::State_HasFocus)
        state |= gdFocused;
    const TFormatOptions format = grid_->CellFormat(col, row, state);

    painter->save();
    // While a sort is under way the cells show background only.
    if (grid_->Updating()) {
        painter->fillRect(option.rect, grid_->palette().color(QPalette::Base));
        painter->restore();
        return;
    }
    painter->fillRect(option.rect, format.Brush);
    if (!format.HideText) {
        const QFontMetrics metrics(format.Font);
        int width = 0;
        const QString text = TSortGrid::FittedCellText(grid_->Cells(col, row), option.rect.width(), metrics, &width);
        const QSize textSize(width, metrics.height());
        const QPoint offset = grid_->TextOffset(format, option.rect.size(), textSize);
        painter->setFont(format.Font);
        painter->setClipRect(option.rect);
        painter->setPen(option.state & QStyle::State_Selected ? option.palette.color(QPalette::HighlightedText)
                                                              : option.palette.color(QPalette::Text));
        painter->drawText(QPoint(option.rect.left() + offset.x(), option.rect.top() + offset.y() + metrics.ascent()),
                          text);
    }
    if (format.BevelStyle != cbNone) {
        painter->setPen(format.BevelHighlight);
        painter->drawLine(option.rect.topLeft(), option.rect.topRight());
        painter->drawLine(option.rect.topLeft(), option.rect.bottomLeft());
        painter->setPen(format.BevelShadow);
        painter->drawLine(option.rect.bottomLeft(), option.rect.bottomRight());
        painter->drawLine(option.rect.topRight(), option.rect.bottomRight());
    }
    painter->restore();
}
