#pragma once

#include <QString>
#include <cstdint>

// The spreadsheet application a protocol is handed to. Rows and columns
// count from 1, as in the application's cells.
class Spreadsheet
{
public:
    virtual ~Spreadsheet() = default;
    // False when there is no spreadsheet to work with.
    virtual bool Connect() = 0;
    // Starts a new, empty workbook; its properties name the title.
    virtual void NewWorkbook(const QString& title) = 0;
    // Puts a text into a cell. A plain decimal number becomes a number
    // cell, everything else stays text exactly as given.
    virtual void SetCell(int row, int column, const QString& text) = 0;
    // Puts a run time into a cell as a number that sorts and sums (a
    // fraction of a day), shown as text shows it: "5,12", "1.05,12",
    // "1:00.00,00" (with the spreadsheet's own decimal separator).
    virtual void SetRunTime(int row, int column, std::int32_t ms, const QString& text) = 0;
    // Widens every column to its longest text.
    virtual void AutoFitColumns() = 0;
    enum class Shown { Yes, NoProgram, NotWritten };
    // Shows the workbook to the operator. Nothing is saved for keeps.
    virtual Shown ShowWorkbook() = 0;
    // Where the last workbook was written.
    virtual QString WorkbookFile() const = 0;
};
