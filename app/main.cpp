#include "BarrierSimulator.h"
#include "DeskLanguage.h"
#include "DisplayServerOptions.h"
#include "FakeSerialDevice.h"
#include "ProgramWindows.h"
#include "ShutdownSignals.h"
#include "StartupPaths.h"
#include "TAppSettings.h"

#include <QApplication>
#include <memory>

// No command-line arguments are read.
int main(int argc, char** argv)
{
    PreferSocketPictureTransfer();
    QApplication app(argc, argv);
    // The title comes first: captions, the backup file and the settings use it.
    QApplication::setApplicationName(QStringLiteral("Ravolt"));
    QApplication::setOrganizationName(QStringLiteral("Quintaro"));
    // Lets the desktop find the installed menu entry, and with it the icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("ravolt"));
    // Before any widget: fields read the decimal separator when they are made.
    UseDeskLanguage(app, QLocale::system());
    // A shutdown, a logout or `kill` ends the program as a regular exit does
    // (backup, lane numbers, settings, journal), but without the questions of
    // closing the window: nobody may be there to answer them.
    ShutdownSignals shutdown;
    QObject::connect(&shutdown, &ShutdownSignals::Received, &app, [] { QCoreApplication::exit(0); });

    // Developer switch: print where the program finds its files, then end.
    if (qEnvironmentVariableIsSet("RAVOLT_SHOW_PATHS")) {
        PrintStartupPaths(StartupPaths::ForThisProgram(QApplication::applicationName()));
        return 0;
    }

    MainWindowSeams seams;
    // Developer switch: light barriers simulated through a named pipe.
    const QString fifo = qEnvironmentVariable("RAVOLT_BARRIER_FIFO");
    auto simulated = std::make_shared<FakeSerialDevice>();
    if (!fifo.isEmpty()) {
        seams.serialDevice = [simulated] { return simulated; };
        seams.fallbackPort = 1;
    }

    const std::unique_ptr<TFormMain> formMain = CreateProgramWindows(TAppSettings(), seams);
    if (!fifo.isEmpty())
        new BarrierSimulator(fifo, simulated, formMain.get());
    formMain->show();
    return app.exec();
}
