#include "TExcel.h"

#include "Spreadsheet.h"
#include "TimeText.h"

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
        const int row = Horizontal ? line : a;
        const int column = Horizontal ? a : line;
        const QString& text = Values[a - 1];
        const std::optional<std::int32_t> ms = a - 1 == RunTimeEntry ? ReadRunTime(text) : std::nullopt;
        if (ms)
            spreadsheet_.SetRunTime(row, column, *ms, text);
        else
            spreadsheet_.SetCell(row, column, text);
    }
    ++line;
}

void TExcel::AutoFitColumns()
{
    spreadsheet_.AutoFitColumns();
}

Spreadsheet::Shown TExcel::ShowWorkbook()
{
    return spreadsheet_.ShowWorkbook();
}
