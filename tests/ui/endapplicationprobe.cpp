// A small program for the messages test: it asks the application to end in the way named by
// its argument and returns what exec() returns. The test checks the exit code; a request that
// went nowhere shows as the watchdog's code.

#include "messages.h"

#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const char* mode = argc > 1 ? argv[1] : "";
    constexpr int kWatchdogCode = 99;
    QTimer::singleShot(20000, [] { QCoreApplication::exit(kWatchdogCode); });

    if (std::strcmp(mode, "before-loop") == 0) {
        zelan::ui::endApplication(7);
    } else if (std::strcmp(mode, "twice") == 0) {
        zelan::ui::endApplication(7);
        zelan::ui::endApplication(8);
    } else if (std::strcmp(mode, "in-loop") == 0) {
        QTimer::singleShot(0, [] { zelan::ui::endApplication(7); });
    } else if (std::strcmp(mode, "in-nested-loop") == 0) {
        // As when a modal box's loop runs: the request ends that loop and the main one.
        QTimer::singleShot(0, [] {
            QEventLoop modal;
            QTimer::singleShot(0, [] { zelan::ui::endApplication(7); });
            modal.exec();
        });
    } else {
        std::fprintf(stderr, "unknown mode '%s'\n", mode);
        return 2;
    }
    if (!zelan::ui::applicationEnding() && std::strncmp(mode, "in-", 3) != 0)
        return 3;
    return QApplication::exec();
}
