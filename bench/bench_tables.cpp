// Hot paths of the table engine: the highlight's aya-lines query and the page-half picture
// lookup. The data folder is built once with the size of the real portion: 571 ayas on 47
// page halves, about 2.5 line pieces per aya, a 40 KB picture per half and a 10 KB
// translation picture per aya.

#include "components.h"
#include "schema.h"

#include <QCoreApplication>
#include <QDir>
#include <QIODevice>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

using namespace zelan;

namespace {

struct Portion {
    QTemporaryDir dir;
    struct Aya {
        int sora, aya, page, half;
    };
    std::vector<Aya> ayas;

    Portion() {
        QDir::setCurrent(dir.path());
        QDir().mkdir(QStringLiteral("trans_RUS"));
        data::createEmptyTables(dir.filePath(QStringLiteral("trans_RUS")));
        tables::Table lines(QStringLiteral("lines"), QStringLiteral("trans_RUS"), QStringLiteral("LINES_ruvo.DB"));
        tables::Table pages(QStringLiteral("pages"), QStringLiteral("trans_RUS"), QStringLiteral("pagesPich.db"));
        tables::Table translations(QStringLiteral("tr"), QStringLiteral("trans_RUS"), QStringLiteral("Translations.db"));
        lines.open();
        pages.open();
        translations.open();
        for (int page = 1; page <= 24; ++page) {
            for (int half = 1; half <= (page == 1 ? 1 : 2); ++half) {
                pages.append();
                pages.setFieldValue(QStringLiteral("PageNum"), qint64(page));
                pages.setFieldValue(QStringLiteral("HalfNum"), qint64(half));
                pages.setFieldValue(QStringLiteral("PagePich"), QByteArray(40000, char(page)));
                pages.post();
            }
        }
        // 571 ayas spread over the 46 halves of pages 2 to 24, 31 pieces to a half, 2 or 3 pieces per aya.
        int page = 2, half = 1, y = 0, piece = 0;
        for (int i = 0; i < 571; ++i) {
            const int sora = 78 + i / 16, aya = i % 16 + 1;
            ayas.push_back({sora, aya, page, half});
            for (int p = 0; p < 2 + i % 2; ++p, ++piece) {
                lines.append();
                const qint64 values[] = {page, half, sora, aya, 11 * (y + 1), 10, 400, 0};
                const char* names[] = {"pagenum", "halfnum", "soranum", "ayanum", "ylinefromtop", "x1aya", "x2aya", "lastaya"};
                for (int f = 0; f < 8; ++f)
                    lines.setFieldValue(QString::fromLatin1(names[f]), values[f]);
                lines.post();
                if (++y == 31) {
                    y = 0;
                    if (++half == 3) {
                        half = 1;
                        page = std::min(page + 1, 24);
                    }
                }
            }
            translations.append();
            translations.setFieldValue(QStringLiteral("SoraNum"), qint64(sora));
            translations.setFieldValue(QStringLiteral("AyaNum"), qint64(aya));
            translations.setFieldValue(QStringLiteral("LangNum"), qint64(2));
            translations.setFieldValue(QStringLiteral("AyaTransPick"), QByteArray(10000, 'j'));
            translations.post();
        }
    }
};

Portion& portion() {
    static Portion instance;
    return instance;
}

void runAyaLines(tables::Query& query, const Portion::Aya& aya, benchmark::State& state) {
    query.close();
    query.setParam(QStringLiteral("soranum"), aya.sora);
    query.setParam(QStringLiteral("ayanum"), aya.aya);
    query.setParam(QStringLiteral("halfNum"), aya.half);
    query.setParam(QStringLiteral("pageNum"), aya.page);
    query.prepare();
    query.open();
    int sum = 0;
    int rows = 0;
    for (query.first(); !query.eof() && rows < 3; query.next(), ++rows) {
        sum += query.fieldByName(QStringLiteral("ylinefromtop")).asInteger();
        sum += query.fieldByName(QStringLiteral("x1aya")).asInteger();
        sum += query.fieldByName(QStringLiteral("x2aya")).asInteger();
    }
    benchmark::DoNotOptimize(sum);
    if (rows == 0)
        state.SkipWithError("no rows");
}

// close, four parameters, open, walk the rows (up to 3), read 3 fields each.
void BM_AyaLinesQuery(benchmark::State& state) {
    Portion& data = portion();
    auto query = data::createQuery(QStringLiteral("ayaLines_qr"), data::sql::ayaLines());
    size_t i = 0;
    for (auto _ : state)
        runAyaLines(*query, data.ayas[i++ % data.ayas.size()], state);
}
BENCHMARK(BM_AyaLinesQuery);

// The same with the translation table bound as its detail, as in the reading window.
void BM_AyaLinesQueryWithTranslationDetail(benchmark::State& state) {
    Portion& data = portion();
    auto query = data::createQuery(QStringLiteral("ayaLines_qr"), data::sql::ayaLines());
    tables::DataSource source(query.get());
    auto translations = data::createMainTranslationsTable();
    translations->setMasterSource(&source);
    translations->open();
    size_t i = 0;
    for (auto _ : state)
        runAyaLines(*query, data.ayas[i++ % data.ayas.size()], state);
}
BENCHMARK(BM_AyaLinesQueryWithTranslationDetail);

// Showing a half: a new filter on pagesPich_tb, then the whole picture read from its stream.
void BM_PageFilterAndBlob(benchmark::State& state) {
    portion();
    auto pages = data::createPagesPichTable();
    pages->open();
    int page = 2, half = 1;
    for (auto _ : state) {
        pages->setFilter(data::filters::pageHalf(page, half));
        auto stream = pages->createBlobStream(QStringLiteral("PagePich"));
        const QByteArray bytes = stream->readAll();
        benchmark::DoNotOptimize(bytes.constData());
        if (bytes.size() != 40000)
            state.SkipWithError("wrong picture");
        if (++half == 3) {
            half = 1;
            page = page == 24 ? 2 : page + 1;
        }
    }
}
BENCHMARK(BM_PageFilterAndBlob);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
