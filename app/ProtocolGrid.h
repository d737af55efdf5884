#pragma once

#include <QObject>

class ProtocolModel;
class TSortGrid;

// The protocol grid's looks: it shows the protocol model, fits the columns
// to the grid's width, aligns the header texts left and keeps the grid's
// current row and the model's selection one.
class ProtocolGrid : public QObject
{
    Q_OBJECT

public:
    ProtocolGrid(TSortGrid& grid, ProtocolModel& model);

    void FitProtocolColumns();

private:
    void SetUpGrid();

    TSortGrid& grid_;
    ProtocolModel& model_;
};
