#pragma once

#include <QMenu>

// The desk's menu that is never shown: every keyboard command is one of its
// items and acts through its key alone. The keys act in every window of the
// program (also the spectator window on the second monitor and the help
// window), but not while a modal dialog blocks the main window. A disabled
// item ignores its key.
class HiddenMenu : public QMenu
{
    Q_OBJECT
public:
    // Builds the items in menu order, each owned by and added to window.
    explicit HiddenMenu(QWidget* window);
    // The item of that object name, or null.
    QAction* Item(const char* name) const;
};
