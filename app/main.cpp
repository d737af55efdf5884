#include "BarrierSimulator.h"
#include "FakeSerialDevice.h"
#include "ProgramWindows.h"
#include "TAppSettings.h"

#include <QApplication>
#include <memory>

// No command-line arguments are read.
int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    // The title comes first: captions, the backup file and the settings use it.
    QApplication::setApplicationName(QStringLiteral("Ravolt"));
    QApplication::setOrganizationName(QStringLiteral("Quintaro"));

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
