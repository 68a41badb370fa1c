// The reading window's hot paths over the full program folder, offscreen:
//  - one half step (the half button to the box repainted with the mark and the translation),
//  - the mark of an aya over three lines (highlightAya),
//  - a click on an aya (lookup, position change, repaint; no sound).
//
//   bench_viewer [--program <folder>] [Google Benchmark options]

#include "benchsupport.h"
#include "components.h"
#include "interfacelanguage.h"
#include "messages.h"
#include "query.h"
#include "ruvo.h"

#include <QApplication>
#include <QDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

namespace {

Truvo_frm* window = nullptr;

struct Aya {
    int sora = 0, aya = 0, page = 0, half = 0;
    int x = 0, y = 0; // a point inside its first piece
};

// An aya of the data set whose lines on one half are exactly three.
Aya threeLineAya() {
    auto q = zelan::data::createQuery(
        QStringLiteral("bench_qr"),
        {QStringLiteral("select soranum, ayanum, pagenum, halfnum, count(*) as n from lines_ruvo"),
         QStringLiteral("where ayanum > 0 group by soranum, ayanum, pagenum, halfnum having count(*) = 3"),
         QStringLiteral("order by pagenum, halfnum")});
    q->open();
    Aya a;
    if (q->isEmpty())
        return a;
    a.sora = q->fieldByName(QStringLiteral("soranum")).asInteger();
    a.aya = q->fieldByName(QStringLiteral("ayanum")).asInteger();
    a.page = q->fieldByName(QStringLiteral("pagenum")).asInteger();
    a.half = q->fieldByName(QStringLiteral("halfnum")).asInteger();
    return a;
}

// Two ayas on page `page` half 1 with a point inside each, to click in turn.
std::pair<Aya, Aya> clickTargets(int page) {
    auto q = zelan::data::createQuery(
        QStringLiteral("bench_click_qr"),
        {QStringLiteral("select soranum, ayanum, ylinefromtop, x1aya, x2aya from lines_ruvo"),
         QStringLiteral("where pagenum = :page and halfnum = 1 and ayanum > 0 and x2aya - x1aya > 40"),
         QStringLiteral("order by ylinefromtop")});
    q->setParam(QStringLiteral("page"), page);
    q->open();
    std::vector<Aya> found;
    for (q->first(); !q->eof() && found.size() < 2; q->next()) {
        Aya a;
        a.sora = q->fieldByName(QStringLiteral("soranum")).asInteger();
        a.aya = q->fieldByName(QStringLiteral("ayanum")).asInteger();
        if (!found.empty() && found.front().aya == a.aya)
            continue;
        a.page = page;
        a.half = 1;
        // Just above the line's bottom, in the middle of the piece.
        a.y = q->fieldByName(QStringLiteral("ylinefromtop")).asInteger() - 3;
        a.x = (q->fieldByName(QStringLiteral("x1aya")).asInteger() + q->fieldByName(QStringLiteral("x2aya")).asInteger()) / 2;
        found.push_back(a);
    }
    if (found.size() < 2)
        return {};
    return {found[0], found[1]};
}

void BM_HalfStep(benchmark::State& state) {
    Truvo_frm& w = *window;
    w.goToPage(10);
    bool forward = true;
    for (auto _ : state) {
        if (forward)
            w.prevHalf_imClick(); // toward the end of the portion
        else
            w.nextHalf_imClick();
        w.PaintBox1->repaint();
        forward = !forward;
    }
}
BENCHMARK(BM_HalfStep)->Unit(benchmark::kMillisecond);

void BM_HighlightThreeLineAya(benchmark::State& state) {
    Truvo_frm& w = *window;
    const Aya a = threeLineAya();
    if (a.sora == 0) {
        state.SkipWithError("no aya over three lines in the data set");
        return;
    }
    w.goToPage(a.page);
    w.currentHalf = a.half;
    w.loadHalfPicture();
    w.PaintBox1Paint();
    for (auto _ : state)
        w.highlightAya(a.sora, a.aya, 60);
}
BENCHMARK(BM_HighlightThreeLineAya)->Unit(benchmark::kMicrosecond);

void BM_ClickOnAya(benchmark::State& state) {
    Truvo_frm& w = *window;
    const auto [first, second] = clickTargets(12);
    if (first.sora == 0) {
        state.SkipWithError("no two ayas to click on page 12");
        return;
    }
    w.goToPage(12);
    bool which = false;
    for (auto _ : state) {
        const Aya& a = which ? second : first;
        w.PaintBox1MouseDown(Qt::LeftButton, a.x, a.y);
        w.PaintBox1->repaint();
        which = !which;
    }
    if (w.getAya() != first.aya && w.getAya() != second.aya)
        state.SkipWithError("the clicks selected no aya");
}
BENCHMARK(BM_ClickOnAya)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    QString folder = QStringLiteral(ZELAN_PROGRAM_DIR);
    std::vector<char*> rest{argv[0]};
    for (int i = 1; i < argc; ++i) {
        if (QByteArray(argv[i]) == "--program" && i + 1 < argc)
            folder = QString::fromLocal8Bit(argv[++i]);
        else
            rest.push_back(argv[i]);
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    if (!zelan::bench::enterProgramFolder("bench_viewer", folder))
        return 2;
    languageCode = zelan::ui::kArabic;
    auto w = std::make_unique<Truvo_frm>(nullptr);
    w->show();
    QCoreApplication::processEvents();
    window = w.get();

    int benchArgc = int(rest.size());
    benchmark::Initialize(&benchArgc, rest.data());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    window = nullptr;
    return 0;
}
