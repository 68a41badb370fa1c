// The sura index over the full program folder, offscreen:
//  - opening it until page 1 is on screen: the window built from its design, its table opened,
//    its pictures loaded, the canonical list paged and page 1 filled and painted (target:
//    50 ms median);
//  - a page turn (next page, painted).
//
//   bench_index [--program <folder>] [--russian] [Google Benchmark options]

#include "benchsupport.h"
#include "interfacelanguage.h"
#include "messages.h"
#include "soraindex.h"

#include <QApplication>
#include <QDir>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <memory>

namespace {

// The index only needs somewhere to send a chosen sura; nothing is chosen here.
class NoTarget : public SoraIndexTarget {
public:
    void setSora(int) override {}
    int getSora() const override { return 1; }
    void setAya(int) override {}
    void showAyaPage() override {}
};

NoTarget target;

void BM_OpenIndex(benchmark::State& state) {
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        auto index = std::make_unique<TSoraIndex_frm>(nullptr, pictureLibrary, target);
        index->show();
        index->repaint();
        const auto end = std::chrono::steady_clock::now();
        if (index->paging()->pageCount != 3)
            state.SkipWithError("the index did not list three pages");
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
        index.reset();
    }
}
BENCHMARK(BM_OpenIndex)->UseManualTime()->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly();

void BM_TurnPage(benchmark::State& state) {
    TSoraIndex_frm index(nullptr, pictureLibrary, target);
    index.show();
    for (auto _ : state) {
        if (index.paging()->shownPage == index.paging()->pageCount)
            index.paging()->buildPages();
        else
            index.nextSora_bt_imClick();
        index.repaint();
    }
}
BENCHMARK(BM_TurnPage)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    QString folder = QStringLiteral(ZELAN_PROGRAM_DIR);
    std::vector<char*> rest{argv[0]};
    languageCode = zelan::ui::kArabic;
    for (int i = 1; i < argc; ++i) {
        if (QByteArray(argv[i]) == "--program" && i + 1 < argc)
            folder = QString::fromLocal8Bit(argv[++i]);
        else if (QByteArray(argv[i]) == "--russian")
            languageCode = zelan::ui::kRussian;
        else
            rest.push_back(argv[i]);
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    if (!zelan::bench::enterProgramFolder("bench_index", folder))
        return 2;
    pictureLibrary = zelan::ui::loadPictureLibrary(languageCode);
    if (!pictureLibrary)
        return 2;

    int benchArgc = int(rest.size());
    benchmark::Initialize(&benchArgc, rest.data());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
