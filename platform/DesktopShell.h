#pragma once

#include <QString>

// The desktop's shell verbs on a file. Like a file type without an
// associated program, every failure is silent: the verb simply does nothing.
class DesktopShell
{
public:
    virtual ~DesktopShell() = default;
    // "open": shows the file in the desktop's default application for it.
    virtual void Open(const QString& path) = 0;
    // "print": prints a web page on the default printer, without a dialog.
    virtual void PrintPage(const QString& htmlPath) = 0;
};
