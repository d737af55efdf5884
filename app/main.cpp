#include "BarrierSimulator.h"
#include "FakeSerialDevice.h"
#include "TAppSettings.h"
#include "TFormMain.h"

#include <QApplication>
#include <memory>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Ravolt"));

    TAppSettings settings;
    MainWindowSeams seams;
    // Developer switch: light barriers simulated through a named pipe.
    const QString fifo = qEnvironmentVariable("RAVOLT_BARRIER_FIFO");
    auto simulated = std::make_shared<FakeSerialDevice>();
    if (!fifo.isEmpty()) {
        seams.serialDevice = [simulated] { return simulated; };
        if (settings.Port == 0)
            settings.Port = 1;
    }

    TFormMain formMain(settings, seams);
    formMain.CreateCfgDialog();
    if (!fifo.isEmpty())
        new BarrierSimulator(fifo, simulated, &formMain);
    formMain.show();
    return app.exec();
}
