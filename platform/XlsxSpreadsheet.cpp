#include "XlsxSpreadsheet.h"

#include "CNumbersOnThisThread.h"
#include "DesktopShell.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryFile>
#include <cstdio>
#include <map>
#include <string>
#include <xlsxwriter.h>

namespace {

// The application's limits for a sheet.
constexpr int kMaxRows = 1048576;
constexpr int kMaxColumns = 16384;
// A cell holds at most this many bytes of text; a longer one would make the
// whole workbook fail.
constexpr int kMaxCellBytes = 32767;
// A double keeps 15 significant digits; a longer number stays text so that
// no digit is lost.
constexpr int kMaxNumberDigits = 15;

// An over-long text (only a foreign file can bring one) is cut at a
// character boundary rather than losing the workbook.
QByteArray CellText(const QString& text)
{
    QString cut = text;
    QByteArray bytes = cut.toUtf8();
    while (bytes.size() > kMaxCellBytes) {
        cut.chop(std::max<qsizetype>(1, (bytes.size() - kMaxCellBytes) / 4));
        if (!cut.isEmpty() && cut.back().isHighSurrogate())
            cut.chop(1);
        bytes = cut.toUtf8();
    }
    return bytes;
}

// Width of a text in the unit of column widths (one digit of the default
// font), with a little room for wide letters and the cell margins.
// Column widths end at the spreadsheet's own limit.
double TextWidth(const QString& text)
{
    return std::min(255.0, text.size() * 1.1 + 1.0);
}

// How a run time shows: the protocol's "." between minutes and seconds and
// the spreadsheet's decimal separator before the hundredths.
const char* RunTimeFormat(std::int32_t ms)
{
    if (ms < 60000)
        return "s.00";
    if (ms < 3600000)
        return "[m]\".\"ss.00";
    return "[h]:mm\".\"ss.00";
}

constexpr double kMsPerDay = 86400000.0;

} // namespace

XlsxSpreadsheet::XlsxSpreadsheet(DesktopShell& shell, QString folder)
    : shell_(shell)
    , folder_(std::move(folder))
{
}

bool XlsxSpreadsheet::Connect()
{
    if (folder_.isEmpty() || !QDir().mkpath(folder_))
        return false;
    // The protocol is nobody else's business on a shared machine.
    QFile::setPermissions(folder_, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return QFileInfo(folder_).isWritable();
}

void XlsxSpreadsheet::NewWorkbook(const QString& title)
{
    title_ = title;
    cells_.clear();
    widths_.clear();
}

void XlsxSpreadsheet::SetCell(int row, int column, const QString& text)
{
    if (row < 1 || row > kMaxRows || column < 1 || column > kMaxColumns)
        return;
    if (text.isEmpty())
        cells_.remove({row, column});
    else
        cells_.insert({row, column}, Cell{text, std::nullopt});
}

void XlsxSpreadsheet::SetRunTime(int row, int column, std::int32_t ms, const QString& text)
{
    if (row < 1 || row > kMaxRows || column < 1 || column > kMaxColumns)
        return;
    if (ms < 0)
        SetCell(row, column, text);
    else
        cells_.insert({row, column}, Cell{text, ms});
}

void XlsxSpreadsheet::AutoFitColumns()
{
    widths_.clear();
    for (auto it = cells_.cbegin(); it != cells_.cend(); ++it) {
        const std::size_t column = it.key().second - 1;
        if (widths_.size() <= column)
            widths_.resize(column + 1, 0.0);
        widths_[column] = std::max(widths_[column], TextWidth(it.value().text));
    }
}

std::optional<XlsxSpreadsheet::Number> XlsxSpreadsheet::PlainNumber(const QString& text)
{
    static const QRegularExpression plain(QStringLiteral("^-?[0-9]+(?:[.,]([0-9]+))?$"));
    const QRegularExpressionMatch match = plain.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    const qsizetype digits = text.size() - (text.startsWith(u'-') ? 1 : 0) - (match.capturedLength(1) > 0 ? 1 : 0);
    if (digits > kMaxNumberDigits)
        return std::nullopt;
    QString c = text;
    c.replace(u',', u'.');
    bool ok = false;
    const double value = c.toDouble(&ok);
    if (!ok)
        return std::nullopt;
    return Number{value, static_cast<int>(match.capturedLength(1))};
}

bool XlsxSpreadsheet::WriteWorkbook(const QString& path) const
{
    const CNumbersOnThisThread cNumbers;
    if (!cNumbers)
        return false;
    QByteArray tmpdir = QFile::encodeName(folder_);
    lxw_workbook_options options{};
    options.tmpdir = tmpdir.data();
    lxw_workbook* workbook = workbook_new_opt(QFile::encodeName(path).constData(), &options);
    if (!workbook)
        return false;
    QByteArray title = title_.toUtf8();
    lxw_doc_properties properties{};
    properties.title = title.data();
    workbook_set_properties(workbook, &properties);
    lxw_worksheet* sheet = workbook_add_worksheet(workbook, "Zeitenprotokoll");

    // A number keeps the decimals it was shown with: "55,0" stays 55,0.
    std::map<int, lxw_format*> decimalFormats;
    auto formatFor = [&](int decimals) -> lxw_format* {
        if (decimals == 0)
            return nullptr;
        lxw_format*& format = decimalFormats[decimals];
        if (!format) {
            format = workbook_add_format(workbook);
            format_set_num_format(format, ("0." + QByteArray(decimals, '0')).constData());
        }
        return format;
    };
    std::map<std::string, lxw_format*> timeFormats;
    auto timeFormatFor = [&](std::int32_t ms) -> lxw_format* {
        lxw_format*& format = timeFormats[RunTimeFormat(ms)];
        if (!format) {
            format = workbook_add_format(workbook);
            format_set_num_format(format, RunTimeFormat(ms));
        }
        return format;
    };
    bool ok = sheet != nullptr;
    for (auto it = cells_.cbegin(); ok && it != cells_.cend(); ++it) {
        const lxw_row_t row = it.key().first - 1;
        const lxw_col_t column = it.key().second - 1;
        const Cell& cell = it.value();
        if (cell.runTimeMs)
            ok = worksheet_write_number(sheet, row, column, *cell.runTimeMs / kMsPerDay,
                                        timeFormatFor(*cell.runTimeMs)) == LXW_NO_ERROR;
        else if (const std::optional<Number> number = PlainNumber(cell.text))
            ok = worksheet_write_number(sheet, row, column, number->value, formatFor(number->decimals)) == LXW_NO_ERROR;
        else
            ok = worksheet_write_string(sheet, row, column, CellText(cell.text).constData(), nullptr) == LXW_NO_ERROR;
    }
    for (std::size_t c = 0; ok && c < widths_.size(); ++c) {
        if (widths_[c] > 0)
            worksheet_set_column(sheet, c, c, widths_[c], nullptr);
    }
    // Closing writes the file; it must run also after a failed cell.
    const bool closed = workbook_close(workbook) == LXW_NO_ERROR;
    return ok && closed;
}

XlsxSpreadsheet::Shown XlsxSpreadsheet::ShowWorkbook()
{
    QTemporaryFile name(QDir(folder_).filePath(QStringLiteral("Zeitenprotokoll-XXXXXX.xlsx")));
    name.setAutoRemove(false);
    if (!name.open())
        return Shown::NotWritten;
    const QString path = name.fileName();
    name.close();
    // Written beside its name and renamed over it: the application never
    // sees half a workbook.
    const QString part = path + QStringLiteral(".part");
    if (!WriteWorkbook(part) ||
        std::rename(QFile::encodeName(part).constData(), QFile::encodeName(path).constData()) != 0) {
        QFile::remove(part);
        QFile::remove(path);
        return Shown::NotWritten;
    }
    workbookFile_ = path;
    return shell_.Open(path) ? Shown::Yes : Shown::NoProgram;
}
