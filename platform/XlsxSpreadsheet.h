#pragma once

#include "Spreadsheet.h"

#include <QMap>
#include <QPair>
#include <QString>
#include <optional>
#include <vector>

class DesktopShell;

// A workbook written as a new .xlsx file into a private temporary folder of
// the user and opened with the desktop's default application: like an
// unsaved workbook, it is the operator's to save or discard.
class XlsxSpreadsheet final : public Spreadsheet
{
public:
    XlsxSpreadsheet(DesktopShell& shell, QString folder);

    bool Connect() override;
    void NewWorkbook(const QString& title) override;
    void SetCell(int row, int column, const QString& text) override;
    void SetRunTime(int row, int column, std::int32_t ms, const QString& text) override;
    void AutoFitColumns() override;
    Shown ShowWorkbook() override;
    QString WorkbookFile() const override { return workbookFile_; }

    struct Number
    {
        double value;
        int decimals;
    };
    // Digits with at most one "." or "," between them, an optional leading
    // "-": the number and its count of decimals. Clock and run times such
    // as "1.05,12" are no plain numbers.
    static std::optional<Number> PlainNumber(const QString& text);

private:
    bool WriteWorkbook(const QString& path) const;

    DesktopShell& shell_;
    QString folder_;
    QString title_;
    struct Cell
    {
        QString text;
        std::optional<std::int32_t> runTimeMs;
    };
    QMap<QPair<int, int>, Cell> cells_;
    std::vector<double> widths_;
    QString workbookFile_;
};
