#include "THelpWindow.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QScreen>
#include <QTextBrowser>
#include <QTextDocument>
#include <QUrl>
#include <QVBoxLayout>

THelpWindow::THelpWindow(QWidget* mainWindow)
    : QWidget(mainWindow, Qt::Window)
    , Browser(new QTextBrowser(this))
{
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QCoreApplication::applicationName() + QStringLiteral(" – Hilfe"));
    // An open help window must not keep the program alive after the desk closed.
    setAttribute(Qt::WA_QuitOnClose, false);
    Browser->setObjectName(QStringLiteral("HelpBrowser"));
    Browser->setOpenExternalLinks(true);
    Browser->document()->setDocumentMargin(12);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Browser);
    // Never taller or wider than the desk's screen, so no part is out of reach.
    resize(QSize(680, 600).boundedTo(mainWindow->screen()->availableSize() * 9 / 10));
}

void THelpWindow::ShowContents(const QString& helpFilePath)
{
    const QFileInfo file(helpFilePath);
    if (file.isFile() && file.isReadable()) {
        const QUrl page = QUrl::fromLocalFile(file.absoluteFilePath());
        // Once open, the reader keeps the place they were reading.
        if (Browser->source() != page || !isVisible())
            Browser->setSource(page);
    } else {
        Browser->setHtml(QStringLiteral("<h3>Die Hilfe fehlt</h3>"
                                        "<p>Die Hilfedatei <b>%1</b> wurde nicht gefunden. "
                                        "Sie gehört in den Ordner des Programms; "
                                        "installieren Sie das Programm bitte neu.</p>"
                                        "<p>Die Zeitnahme funktioniert auch ohne Hilfe.</p>")
                             .arg(helpFilePath.toHtmlEscaped()));
    }
    show();
    raise();
    activateWindow();
}
