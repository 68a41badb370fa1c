// datagen: builds the data of Zelan's program folder from public sources.
//
//   datagen [--out <folder>] [--source <quran_ru.json>] [--pages <HafsLists.ts>] [--jobs <n>]
//           [--debug <folder>] [--sheets <folder>]
//
// The folder receives trans_RUS/ (the tables with the page and translation pictures),
// Translations/ (the recordings), Ara2/ and rus2/ (the picture libraries), doc/ (the user
// guides) and design/ (the pictures the windows hold). Run it again after a change: only what changed is rebuilt.

#include "datagen.h"
#include "sound.h"

#include <QCommandLineParser>
#include <QDir>
#include <QGuiApplication>
#include <QThread>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "sound-worker") == 0)
        return zelan::datagen::runSoundWorker(argc, argv);

    // Pictures are drawn off screen; no display is needed.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Builds the data of Zelan's program folder."));
    parser.addHelpOption();
    const QCommandLineOption out(QStringLiteral("out"), QStringLiteral("The program folder."), QStringLiteral("folder"),
                                 QStringLiteral("program"));
    const QCommandLineOption source(
        QStringLiteral("source"), QStringLiteral("dist/quran_ru.json of the npm package quran-json@3.1.2."),
        QStringLiteral("file"), QStringLiteral("third_party/npm/node_modules/quran-json/dist/quran_ru.json"));
    const QCommandLineOption pages(
        QStringLiteral("pages"),
        QStringLiteral("src/lists/HafsLists.ts of the npm package quran-meta@6.0.17: where the printed pages begin."),
        QStringLiteral("file"), QStringLiteral("third_party/npm/node_modules/quran-meta/src/lists/HafsLists.ts"));
    const QCommandLineOption jobs(QStringLiteral("jobs"), QStringLiteral("Recordings made at once."),
                                  QStringLiteral("n"), QString::number(QThread::idealThreadCount()));
    const QCommandLineOption debug(QStringLiteral("debug"),
                                   QStringLiteral("Also write each half page with its line bands as PNG here."),
                                   QStringLiteral("folder"));
    const QCommandLineOption sheets(QStringLiteral("sheets"),
                                    QStringLiteral("Also write a contact sheet of each picture library as PNG here."),
                                    QStringLiteral("folder"));
    parser.addOptions({out, source, pages, jobs, debug, sheets});
    parser.process(app);

    zelan::datagen::BuildOptions options;
    options.out = QDir(parser.value(out)).absolutePath();
    options.source = parser.value(source);
    options.pages = parser.value(pages);
    options.workerProgram = QCoreApplication::applicationFilePath();
    options.debugFolder = parser.value(debug);
    options.sheetsFolder = parser.value(sheets).isEmpty() ? QString() : QDir(parser.value(sheets)).absolutePath();
    bool ok = false;
    options.processes = parser.value(jobs).toInt(&ok);
    if (!ok || options.processes < 1 || options.processes > 64) {
        std::fprintf(stderr, "datagen: --jobs takes a number from 1 to 64, not \"%s\"\n", qPrintable(parser.value(jobs)));
        return 2;
    }
    QString error;
    if (!zelan::datagen::buildProgramData(options, &error)) {
        std::fprintf(stderr, "datagen: %s\n", qPrintable(error));
        return 1;
    }
    return 0;
}
