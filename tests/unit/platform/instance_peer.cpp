// A second Tavimo-like process for the instance channel tests. Usage:
//   tavimo_instance_peer hold <dir>       takes the marker, prints "existed=0|1", waits for EOF
//   tavimo_instance_peer listen <dir>     listens, prints "ready", then "message" per message
//                                         received; ends at EOF on stdin or after a message when
//                                         given a third argument "quit"
//   tavimo_instance_peer broadcast <dir>  broadcasts once and prints "done"

#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/instance_channel.h"

namespace {

void Say(const char* line) {
    std::printf("%s\n", line);
    std::fflush(stdout);
}

// Ends the event loop when the test closes our stdin.
void QuitOnStdinEof(QCoreApplication& app) {
    auto* notifier = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, [&app, notifier] {
        char buf[64];
        if (::read(STDIN_FILENO, buf, sizeof(buf)) <= 0) {
            notifier->setEnabled(false);
            app.quit();
        }
    });
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3)
        return 2;
    QCoreApplication app(argc, argv);
    const std::string mode = argv[1];
    auto channel = tavimo::platform::MakeInstanceChannel(argv[2]);
    if (mode == "hold") {
        Say(channel->CreateMarker() ? "existed=1" : "existed=0");
        QuitOnStdinEof(app);
        return app.exec();
    }
    if (mode == "listen") {
        const bool quitOnMessage = argc > 3 && std::strcmp(argv[3], "quit") == 0;
        channel->Listen([&app, quitOnMessage] {
            Say("message");
            if (quitOnMessage)
                app.quit();
        });
        Say("ready");
        QuitOnStdinEof(app);
        return app.exec();
    }
    if (mode == "broadcast") {
        channel->Broadcast();
        Say("done");
        return 0;
    }
    return 2;
}
