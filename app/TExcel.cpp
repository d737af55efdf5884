#include "TExcel.h"

#include "Spreadsheet.h"

TExcel::TExcel(Spreadsheet& spreadsheet, QObject* owner)
    : QObject(owner)
    , spreadsheet_(spreadsheet)
{
}

bool TExcel::Connect()
{
    return spreadsheet_.Connect();
}

void TExcel::NewWorkbook()
{
    line = 1;
    spreadsheet_.NewWorkbook(Title);
}

void TExcel::WriteLine()
{
    for (int a = 1; a <= Values.size(); ++a) {
        if (Horizontal)
            spreadsheet_.SetCell(line, a, Values[a - 1]);
        else
            spreadsheet_.SetCell(a, line, Values[a - 1]);
    }
    ++line;
}

void TExcel::AutoFitColumns()
{
    spreadsheet_.AutoFitColumns();
}

bool TExcel::ShowWorkbook()
{
    return spreadsheet_.ShowWorkbook();
}
