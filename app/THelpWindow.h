#pragma once

#include <QWidget>

class QTextBrowser;

// The program's own help window: the German help file beside the program,
// next to the desk and not modal, so the operator can read while timing.
// Closing only hides it, so it keeps its size and place while the program runs.
class THelpWindow : public QWidget
{
    Q_OBJECT
public:
    explicit THelpWindow(QWidget* mainWindow);

    // Shows the help file's contents page, or a short German message when
    // the file is missing, and brings the window to the front.
    void ShowContents(const QString& helpFilePath);

    QTextBrowser* Browser;
};
