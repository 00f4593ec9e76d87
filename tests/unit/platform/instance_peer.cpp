// A second Tavimo-like process for the instance channel tests. Usage:
//   tavimo_instance_peer hold <dir>          takes the marker, prints "existed=0|1"
//   tavimo_instance_peer listen <dir> [quit] prints "ready", then "message" per message received;
//                                            with "quit" it ends after the first one
//   tavimo_instance_peer broadcast <dir>     broadcasts once and prints "done"
// hold and listen run until their stdin closes.

#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>

#include <cstdio>
#include <string>

#include "platform/instance_channel.h"

int main(int argc, char** argv) {
    if (argc < 3)
        return 2;
    QCoreApplication app(argc, argv);
    const std::string mode = argv[1];
    auto channel = tavimo::platform::MakeInstanceChannel(argv[2]);
    if (mode == "broadcast") {
        channel->Broadcast();
        std::printf("done\n");
        return 0;
    }
    if (mode == "hold")
        std::printf("existed=%d\n", channel->CreateMarker() ? 1 : 0);
    if (mode == "listen") {
        const bool quit = argc > 3 && std::string(argv[3]) == "quit";
        channel->Listen([&app, quit] {
            std::printf("message\n");
            std::fflush(stdout);
            if (quit)
                app.quit();
        });
        std::printf("ready\n");
    }
    std::fflush(stdout);
    QSocketNotifier stdin_closed(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&stdin_closed, &QSocketNotifier::activated, &app, [&] {
        char buf[64];
        if (::read(STDIN_FILENO, buf, sizeof buf) <= 0)
            app.quit();
    });
    return app.exec();
}
