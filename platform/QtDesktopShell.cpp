#include "QtDesktopShell.h"

#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStringDecoder>
#include <QTextDocument>
#include <QUrl>

QtDesktopShell::QtDesktopShell(PrinterSource printers)
    : printers_(std::move(printers))
{
}

void QtDesktopShell::Open(const QString& path)
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()));
}

void QtDesktopShell::PrintPage(const QString& htmlPath)
{
    if (std::unique_ptr<QPrinter> printer = printers_ ? printers_() : nullptr)
        PrintHtmlFile(htmlPath, *printer);
}

std::unique_ptr<QPrinter> QtDesktopShell::DefaultPrinter()
{
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull())
        return nullptr;
    return std::make_unique<QPrinter>(info, QPrinter::HighResolution);
}

bool PrintHtmlFile(const QString& htmlPath, QPrinter& printer)
{
    QFile file(htmlPath);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    // The page names its code page in a META line; without one, Latin-1.
    QStringDecoder decoder = QStringDecoder::decoderForHtml(bytes);
    if (!decoder.isValid())
        decoder = QStringDecoder(QStringDecoder::Latin1);
    QTextDocument page;
    page.setHtml(decoder.decode(bytes));
    if (!printer.isValid())
        return false;
    page.print(&printer);
    return printer.printerState() != QPrinter::Error;
}
