// Serves the demo club slalom on 127.0.0.1, for looking at the pages in a
// browser (scripts/live-screenshots.sh). Runs until its input closes.
//   live_demo [PORT [FINISHED_RUNS]]
#include "DemoEvent.h"
#include "LiveServer.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <cstdio>
#include <unistd.h>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const quint16 port = args.size() > 1 ? quint16(args[1].toUInt()) : 8080;
    const int finished = args.size() > 2 ? args[2].toInt() : 20;
    LiveServer server;
    server.Publish(LiveSnapshot::Build(DemoEvent(finished), 1));
    const LiveServer::Result started = server.Start(QHostAddress::LocalHost, port);
    if (!started.ok) {
        std::fprintf(stderr, "%s\n", qPrintable(started.message));
        return 1;
    }
    std::printf("http://127.0.0.1:%u/\n", started.port);
    std::fflush(stdout);
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &app, [&app] {
        char byte;
        if (::read(STDIN_FILENO, &byte, 1) <= 0)
            app.quit();
    });
    return app.exec();
}
