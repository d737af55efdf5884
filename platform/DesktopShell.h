#pragma once

#include <QString>

// The desktop's shell verbs on a file or a web address. They say whether
// they could do their work, so the operator can be told where a file lies
// that nothing showed or printed.
class DesktopShell
{
public:
    enum class Printed { Yes, NoPrinter, Refused };

    virtual ~DesktopShell() = default;
    // "open": shows the file in the desktop's default application for it.
    // False when no program was found to open it.
    virtual bool Open(const QString& path) = 0;
    // "print": prints a web page on the default printer, without a dialog.
    virtual Printed PrintPage(const QString& htmlPath) = 0;
    // "open" on a web address: the desktop's browser shows it.
    virtual void OpenAddress(const QString& url) = 0;
};
