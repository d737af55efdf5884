#include "QtDesktopShell.h"

#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QProcess>
#include <QStandardPaths>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStringDecoder>
#include <QTextDocument>
#include <QUrl>

QtDesktopShell::QtDesktopShell(PrinterSource printers)
    : printers_(std::move(printers))
{
}

// The desktop's opener only starts a helper and reports success even when
// no program takes the file type: the same database is asked first.
bool DesktopHasProgramFor(const QString& file)
{
    const QString query = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (query.isEmpty())
        return true;
    QProcess process;
    process.start(query, {QStringLiteral("query"), QStringLiteral("default"), QMimeDatabase().mimeTypeForFile(file).name()});
    if (!process.waitForFinished(5000) || process.exitStatus() != QProcess::NormalExit)
        return true;
    return !process.readAllStandardOutput().trimmed().isEmpty();
}

bool QtDesktopShell::Open(const QString& path)
{
    const QString file = QFileInfo(path).absoluteFilePath();
    if (!DesktopHasProgramFor(file))
        return false;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(file));
}

void QtDesktopShell::OpenAddress(const QString& url)
{
    QDesktopServices::openUrl(QUrl(url));
}

DesktopShell::Printed QtDesktopShell::PrintPage(const QString& htmlPath)
{
    const std::unique_ptr<QPrinter> printer = printers_ ? printers_() : nullptr;
    if (!printer)
        return Printed::NoPrinter;
    return PrintHtmlFile(htmlPath, *printer) ? Printed::Yes : Printed::Refused;
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
