// Printing the whole portion (sura 1 aya 1 to sura 114 aya 6, every translation record) over
// the program folder, offscreen: the options window's OK, the report prepared for its preview
// and the preview's paint request answered with a PDF printer. Target: 3 s.
//
//   bench_report [--program <folder>] [--keep <file.pdf>] [Google Benchmark options]
//
// The print fills transTemp.db, so the benchmark works on a copy of the folder's tables.

#include "benchsupport.h"
#include "interfacelanguage.h"
#include "messages.h"
#include "picturelist.h"
#include "transdm.h"
#include "transoptions.h"
#include "transrep.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <memory>

namespace {

QString pdfPath;
QString keepPath;

void BM_PrintWholePortion(benchmark::State& state) {
    Ttrans_options_frm options(nullptr);
    options.startSora_cb->setCurrentIndex(0);
    options.startSora_cbChange();
    options.endSora_cb->setCurrentIndex(37);
    options.endSora_cbChange();
    options.endAya_ed->setText(QStringLiteral("6"));
    for (auto _ : state) {
        options.okButton_imClick();
    }
    state.counters["records"] = trans_dm_fm->transTemp_tb->recordCount();
    state.counters["pages"] = double(trans_rep_fm->QuickRep1.pages().size());
    state.counters["pdf_kB"] = double(QFileInfo(pdfPath).size()) / 1024.0;
}
BENCHMARK(BM_PrintWholePortion)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv) {
    QString folder = QStringLiteral(ZELAN_PROGRAM_DIR);
    std::vector<char*> rest{argv[0]};
    for (int i = 1; i < argc; ++i) {
        if (QByteArray(argv[i]) == "--program" && i + 1 < argc)
            folder = QString::fromLocal8Bit(argv[++i]);
        else if (QByteArray(argv[i]) == "--keep" && i + 1 < argc)
            keepPath = QFileInfo(QString::fromLocal8Bit(argv[++i])).absoluteFilePath();
        else
            rest.push_back(argv[i]);
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    folder = QFileInfo(folder).absoluteFilePath();
    QTemporaryDir work;
    QDir().mkpath(work.filePath(QStringLiteral("trans_RUS")));
    for (const char* table : {"Translations.db", "transTemp.db"}) {
        const QString name = QStringLiteral("trans_RUS/") + QString::fromLatin1(table);
        if (!QFile::copy(folder + QLatin1Char('/') + name, work.filePath(name))) {
            std::fprintf(stderr, "bench_report: no %s in the program folder %s\n", table, qPrintable(folder));
            return 2;
        }
    }
    if (!zelan::bench::enterProgramFolder("bench_report", work.path()))
        return 2;
    pdfPath = keepPath.isEmpty() ? work.filePath(QStringLiteral("report.pdf")) : keepPath;
    // The preview is answered as the user's print would be: its paint request on a PDF printer.
    zelan::ui::setModalHook([](QDialog* dialog) {
        if (auto* preview = qobject_cast<QPrintPreviewDialog*>(dialog)) {
            QPrinter printer(QPrinter::HighResolution);
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdfPath);
            emit preview->paintRequested(&printer);
        }
        return 0;
    });
    languageCode = zelan::ui::kArabic;
    pictureLibrary = zelan::reslib::ResourceLibrary::load(folder + QStringLiteral("/Ara2/zelan_ara.dll"));
    trans_dm_fm = new Ttrans_dm_fm();
    trans_rep_fm = new Ttrans_rep_fm();

    int benchArgc = int(rest.size());
    benchmark::Initialize(&benchArgc, rest.data());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    delete trans_rep_fm;
    trans_rep_fm = nullptr;
    delete trans_dm_fm;
    trans_dm_fm = nullptr;
    return 0;
}
