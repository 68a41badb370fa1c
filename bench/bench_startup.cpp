// Start-up figures of the program over a built program folder:
//  - the time from a click on the start window's Russian button to the main window fully
//    painted (picture library loaded, tables open, first page half decoded, every control drawn);
//  - the peak resident memory of the program with the main window open.
//
// Each sample is a fresh process (a second click in the same process finds the picture library
// already loaded), so the figures are those a user sees at the first choice of a run.
//
//   bench_startup [--program <folder>] [--runs <n>]
//
// Prints one line per measure: name, target, median, verdict.

#include "benchsupport.h"
#include "main2.h"
#include "messages.h"
#include "ruvo.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// Peak resident set of this process in kilobytes (VmHWM), or -1.
long peakResidentKb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

int sample(int argc, char** argv, const QString& folder) {
    QApplication app(argc, argv);
    if (!zelan::bench::enterProgramFolder("bench_startup", folder))
        return 2;

    Tmain_frm2 start({QRect(0, 0, 1920, 1080), QLocale(QLocale::English)});
    start.FormCreate();
    start.show();
    QCoreApplication::processEvents();

    QElapsedTimer clock;
    double clickMs = -1;
    long peakKb = -1;
    zelan::ui::setModalHook([&](QDialog* dialog) {
        dialog->show();
        dialog->repaint();
        clickMs = double(clock.nsecsElapsed()) / 1e6;
        QCoreApplication::processEvents();
        peakKb = peakResidentKb();
        dialog->close();
        return 0;
    });
    clock.start();
    start.russian_imClick();
    if (clickMs < 0)
        return 3;
    std::printf("%.3f %ld\n", clickMs, peakKb);
    return 0;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

} // namespace

int main(int argc, char** argv) {
    QString folder = QStringLiteral(ZELAN_PROGRAM_DIR);
    int runs = 15;
    bool child = false;
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg = argv[i];
        if (arg == "--program" && i + 1 < argc)
            folder = QString::fromLocal8Bit(argv[++i]);
        else if (arg == "--runs" && i + 1 < argc)
            runs = std::max(1, atoi(argv[++i]));
        else if (arg == "--sample")
            child = true;
    }
    folder = QDir(folder).absolutePath();
    if (child)
        return sample(argc, argv, folder);

    std::vector<double> clicks, peaks;
    for (int i = 0; i < runs; ++i) {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        process.setProcessEnvironment(env);
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(QString::fromLocal8Bit(argv[0]), {QStringLiteral("--sample"), QStringLiteral("--program"), folder});
        if (!process.waitForFinished(60000) || process.exitCode() != 0) {
            std::fprintf(stderr, "bench_startup: sample %d failed (exit code %d)\n", i + 1, process.exitCode());
            return 1;
        }
        const QList<QByteArray> fields = process.readAllStandardOutput().trimmed().split(' ');
        if (fields.size() != 2)
            return 1;
        clicks.push_back(fields[0].toDouble());
        peaks.push_back(fields[1].toDouble() / 1024.0);
    }
    const double click = median(clicks);
    const double peak = median(peaks);
    std::printf("%-52s %-10s %-12s %s\n", "measure", "target", "median", "verdict");
    std::printf("%-52s %-10s %-12s %s\n", "click on russian_im to main window painted", "<= 150 ms",
                qPrintable(QStringLiteral("%1 ms").arg(click, 0, 'f', 1)), click <= 150 ? "met" : "missed");
    std::printf("%-52s %-10s %-12s %s\n", "peak resident memory, main window open", "<= 120 MB",
                qPrintable(QStringLiteral("%1 MB").arg(peak, 0, 'f', 1)), peak <= 120 ? "met" : "missed");
    std::printf("(%d runs, each a fresh process, program folder %s)\n", runs, qPrintable(folder));
    return 0;
}
