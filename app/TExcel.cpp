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
    for (int column = 1; column <= Values.size(); ++column) {
        const QString& text = Values[column - 1];
        const std::optional<std::int32_t> ms = column - 1 == RunTimeEntry ? ReadRunTime(text) : std::nullopt;
        if (ms)
            spreadsheet_.SetRunTime(line, column, *ms, text);
        else
            spreadsheet_.SetCell(line, column, text);
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
