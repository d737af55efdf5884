#pragma once

#include <QHeaderView>

class TSortGrid;

// The grid's fixed header row: draws the shortened captions and the sort
// arrow, turns clicks into sorts (outside the 5-pixel sizing zones at the
// column edges) and a double click on a column edge into an auto-size.
class SortGridHeader : public QHeaderView
{
    Q_OBJECT
public:
    explicit SortGridHeader(TSortGrid* grid);

    // The column whose edge zone (within `zone` pixels of its left or right
    // edge) holds x, and whether it is the left edge; -1 when none.
    int EdgeColumn(int x, int zone, bool* leftEdge = nullptr) const;
    // The header row is as high as the grid's rows.
    QSize sizeHint() const override;

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    TSortGrid* grid_;
    int pressedColumn_ = -1;
    bool pressedOnEdge_ = false;
};
