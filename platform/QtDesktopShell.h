#pragma once

#include "DesktopShell.h"

#include <QPrinter>
#include <functional>
#include <memory>

// Opens files through QDesktopServices and prints web pages with
// QTextDocument on the default printer.
class QtDesktopShell final : public DesktopShell
{
public:
    // Gives the printer to print on, or null when there is none.
    using PrinterSource = std::function<std::unique_ptr<QPrinter>()>;

    explicit QtDesktopShell(PrinterSource printers = DefaultPrinter);

    bool Open(const QString& path) override;
    Printed PrintPage(const QString& htmlPath) override;
    void OpenAddress(const QString& url) override;

    // The system's default printer; null when no printer is installed.
    static std::unique_ptr<QPrinter> DefaultPrinter();

private:
    PrinterSource printers_;
};

// Whether the desktop names a default program for the file's type (asked
// through xdg-mime); true when there is nobody to ask, so the opener tries.
bool DesktopHasProgramFor(const QString& file);

// Renders the web page file on the printer. False when the file cannot be
// read or the printer refuses the job.
bool PrintHtmlFile(const QString& htmlPath, QPrinter& printer);
