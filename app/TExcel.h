#pragma once

#include <QObject>
#include <QStringList>
#include <cstdint>

#include "Spreadsheet.h"

// Fills a spreadsheet line by line: WriteLine puts Values into row `line`,
// from column 1 on, and moves to the next line.
class TExcel : public QObject
{
    Q_OBJECT

public:
    TExcel(Spreadsheet& spreadsheet, QObject* owner);

    std::int32_t line = 1;
    QStringList Values;
    // The entry of Values that holds a run time ("Zeit"): written as a
    // number that sorts and sums when it is one; -1 for none.
    int RunTimeEntry = -1;
    // Named in the new workbook's properties.
    QString Title;

    bool Connect();
    void NewWorkbook();
    void WriteLine();
    void AutoFitColumns();
    // Hands the workbook to the operator.
    Spreadsheet::Shown ShowWorkbook();

private:
    Spreadsheet& spreadsheet_;
};
