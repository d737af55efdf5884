#pragma once

#include <QStyledItemDelegate>

class TSortGrid;

// Draws one data cell with the format record the grid's owner may change:
// its brush, font, alignment offsets and hidden text.
class SortGridDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    explicit SortGridDelegate(TSortGrid* grid);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    TSortGrid* grid_;
};
