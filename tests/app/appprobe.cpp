// A small program for the application test: it runs the application object or the whole start
// in the way named by its first argument, prints every message it would show as one line
// "message: <text>" on standard output instead of showing it, and returns what the run
// returns. A run that never ends shows as the watchdog's code.
//
//   appprobe handler-exceptions     two handlers throw, a third one then ends the loop with 0
//   appprobe start <folder>         the program's start in <folder>; a timer presses the close picture

#include "application.h"
#include "main2.h"
#include "messages.h"
#include "startup.h"

#include <QDir>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <stdexcept>

int main(int argc, char** argv) {
    zelan::app::Application app(argc, argv);
    constexpr int kWatchdogCode = 99;
    QTimer::singleShot(30000, [] { QCoreApplication::exit(kWatchdogCode); });
    zelan::ui::setMessageHook([](const QString& text, const QString&, zelan::ui::MessageKind) {
        std::printf("message: %s\n", qUtf8Printable(text));
        std::fflush(stdout);
    });
    zelan::ui::setModalHook([](QDialog*) { return 0; });
    const char* mode = argc > 1 ? argv[1] : "";

    if (std::strcmp(mode, "handler-exceptions") == 0) {
        QTimer::singleShot(0, [] { throw std::runtime_error("Table \"Translations.db\" is damaged"); });
        QTimer::singleShot(0, [] { throw 42; });
        QTimer::singleShot(20, [] {
            std::printf("loop went on\n");
            QCoreApplication::exit(0);
        });
        return QApplication::exec();
    }
    if (std::strcmp(mode, "start") == 0 && argc > 2) {
        if (!QDir::setCurrent(QString::fromLocal8Bit(argv[2])))
            return 3;
        QTimer::singleShot(100, [] {
            if (main_frm2)
                main_frm2->close_imClick();
        });
        return zelan::app::runProgram(app);
    }
    std::fprintf(stderr, "unknown mode '%s'\n", mode);
    return 2;
}
