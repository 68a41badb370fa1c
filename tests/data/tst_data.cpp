#include "tablefixture.h"
#include "testmain.h"

#include "components.h"
#include "engineerror.h"
#include "schema.h"

#include <QDir>
#include <QIODevice>
#include <QTemporaryDir>
#include <QTest>

#include <initializer_list>

using namespace zelan;
using zelan::tables::Value;

namespace {

// A current directory with an empty program data folder made by createEmptyTables.
class DataFolder {
public:
    DataFolder() : m_previous(QDir::currentPath()) {
        QDir::setCurrent(m_dir.path());
        QDir().mkdir(QStringLiteral("trans_RUS"));
        data::createEmptyTables(m_dir.filePath(QStringLiteral("trans_RUS")));
    }
    ~DataFolder() { QDir::setCurrent(m_previous); }
    QString path() const { return m_dir.filePath(QStringLiteral("trans_RUS")); }

    // Appends rows to a table, fields in the table's declared order.
    void insert(const data::TableDef& def, std::initializer_list<std::vector<Value>> rows) const {
        zelan::testing::insertRows(def, rows);
    }

private:
    QString m_previous;
    QTemporaryDir m_dir;
};

std::vector<Value> line(qint64 page, qint64 half, qint64 sora, qint64 aya, qint64 y, qint64 x1 = 10,
                        qint64 x2 = 400, qint64 last = 0, double delay = 0, double total = 0) {
    return {page, half, sora, aya, y, x1, x2, last, delay, total};
}

void fillLines(const DataFolder& folder) {
    folder.insert(data::linesRuvoTable(),
                  {line(1, 1, 1, 1, 60), line(1, 1, 1, 2, 100),
                   // aya 90:3 runs from page 7 half 2 onto page 8 half 1
                   line(7, 2, 90, 3, 260, 10, 400, 1, 2.5, 10), line(7, 2, 90, 3, 300), line(8, 1, 90, 3, 40),
                   // aya 90:4 runs over both halves of page 7
                   line(7, 1, 90, 4, 100), line(7, 2, 90, 4, 20),
                   // sura 91 begins on page 8 half 1, with a line of no aya
                   line(8, 1, 91, -1, 80), line(8, 1, 91, 0, 120), line(8, 1, 91, 1, 160),
                   // a half that starts with a line of no aya
                   line(9, 1, 92, -1, 30), line(9, 1, 92, 2, 70)});
}

QPair<int, int> pageHalfOf(tables::Query& query, int sora, int aya) {
    query.close();
    query.setParam(QStringLiteral("soranum"), sora);
    query.setParam(QStringLiteral("ayanum"), aya);
    query.prepare();
    query.open();
    query.first();
    return {query.fieldByName(QStringLiteral("pageNum")).asInteger(),
            query.fieldByName(QStringLiteral("halfNum")).asInteger()};
}

using PageHalf = QPair<int, int>;

} // namespace

class DataTest : public QObject {
    Q_OBJECT

private slots:
    void pageHalfQueriesFindTheLowestPage_data() {
        QTest::addColumn<int>("aya");
        QTest::addColumn<PageHalf>("lowestHalf");
        QTest::addColumn<PageHalf>("highestHalf");
        QTest::addRow("over two pages") << 3 << qMakePair(7, 2) << qMakePair(7, 2);
        QTest::addRow("over two halves") << 4 << qMakePair(7, 1) << qMakePair(7, 2);
        QTest::addRow("no rows") << 9 << qMakePair(0, 0) << qMakePair(0, 0);
    }
    void pageHalfQueriesFindTheLowestPage() {
        QFETCH(int, aya);
        QFETCH(PageHalf, lowestHalf);
        QFETCH(PageHalf, highestHalf);
        DataFolder folder;
        fillLines(folder);
        auto pageHalf = data::createQuery(QStringLiteral("page_half_qr"), data::sql::pageHalf());
        auto pageHalfEx = data::createQuery(QStringLiteral("page_half_ex_qr"), data::sql::pageHalfEx());
        auto pageHalfEx2 = data::createQuery(QStringLiteral("page_half_ex2_qr"), data::sql::pageHalfEx2());
        QCOMPARE(pageHalfOf(*pageHalf, 90, aya), lowestHalf);
        QCOMPARE(pageHalfOf(*pageHalfEx, 90, aya), highestHalf);
        QCOMPARE(pageHalfOf(*pageHalfEx2, 90, aya), highestHalf);

        auto pageNum2 = data::createQuery(QStringLiteral("pageNum2_qr"), data::sql::pageNum2());
        pageNum2->setParam(QStringLiteral("soranum"), 90);
        pageNum2->setParam(QStringLiteral("ayanum"), aya);
        pageNum2->open();
        QCOMPARE(pageNum2->fieldByName(QStringLiteral("pagenum")).asString(),
                 lowestHalf.first ? QString::number(lowestHalf.first) : QString());
    }

    void lineQueriesAnswerWhatTheViewerAsks() {
        DataFolder folder;
        fillLines(folder);

        // The first sura of a half where a new sura begins is the lower one.
        auto soraAya = data::createQuery(QStringLiteral("sora_aya_qr"), data::sql::soraAya());
        auto firstOnHalf = [&](int page, int half) {
            soraAya->close();
            soraAya->setParam(QStringLiteral("pagenum"), page);
            soraAya->setParam(QStringLiteral("halfnum"), half);
            soraAya->open();
            return qMakePair(soraAya->fieldByName(QStringLiteral("soraNum")).asInteger(),
                             soraAya->fieldByName(QStringLiteral("ayaNum")).asInteger());
        };
        QCOMPARE(firstOnHalf(8, 1), qMakePair(90, 3));
        QCOMPARE(firstOnHalf(9, 1), qMakePair(92, -1));

        // halfNum_qr has no order: the first row stored for the aya.
        auto halfNum = data::createQuery(QStringLiteral("halfNum_qr"), data::sql::halfNum());
        halfNum->setParam(QStringLiteral("soranum"), 90);
        halfNum->setParam(QStringLiteral("ayanum"), 4);
        halfNum->open();
        QCOMPARE(halfNum->fieldByName(QStringLiteral("halfNum")).asInteger(), 1);

        // ayaLines_qr: the pieces of one aya on one half, top to bottom.
        auto ayaLines = data::createQuery(QStringLiteral("ayaLines_qr"), data::sql::ayaLines());
        ayaLines->setParam(QStringLiteral("soranum"), 90);
        ayaLines->setParam(QStringLiteral("ayanum"), 3);
        ayaLines->setParam(QStringLiteral("halfNum"), 2);
        ayaLines->setParam(QStringLiteral("pageNum"), 7);
        ayaLines->open();
        QList<int> ys;
        for (; !ayaLines->eof(); ayaLines->next())
            ys.append(ayaLines->fieldByName(QStringLiteral("ylinefromtop")).asInteger());
        QCOMPARE(ys, (QList<int>{260, 300}));

        // lineHeight_qr: lines of the same sura above a line, the nearest last.
        auto lineHeight = data::createQuery(QStringLiteral("lineHeight_qr"), data::sql::lineHeight());
        lineHeight->setParam(QStringLiteral("soranum"), 91);
        lineHeight->setParam(QStringLiteral("pagenum"), 8);
        lineHeight->setParam(QStringLiteral("halfnum"), 1);
        lineHeight->setParam(QStringLiteral("linefromtop"), 160);
        lineHeight->open();
        lineHeight->last();
        QCOMPARE(lineHeight->recordCount(), 2);
        QCOMPARE(lineHeight->fieldByName(QStringLiteral("ylineFromTop")).asInteger(), 120);

        // keraat_qr: the pieces at or below a clicked y, by sura, aya and line.
        auto keraat = data::createQuery(QStringLiteral("keraat_qr"), data::sql::keraat());
        keraat->setParam(QStringLiteral("yLine"), 50);
        keraat->setParam(QStringLiteral("pagenum"), 8);
        keraat->setParam(QStringLiteral("halfnum"), 1);
        keraat->open();
        QCOMPARE(keraat->fieldByName(QStringLiteral("soranum")).asInteger(), 91);
        QCOMPARE(keraat->fieldByName(QStringLiteral("ayanum")).asInteger(), -1);

        // LastAya_qr: the timing of the first row of the aya.
        auto lastAya = data::createQuery(QStringLiteral("LastAya_qr"), data::sql::lastAya());
        lastAya->setParam(QStringLiteral("soranum"), 90);
        lastAya->setParam(QStringLiteral("ayanum"), 3);
        lastAya->open();
        QCOMPARE(lastAya->fieldByName(QStringLiteral("lastAya")).asInteger(), 1);
        QCOMPARE(lastAya->fieldByName(QStringLiteral("timedelay")).asFloat() /
                     lastAya->fieldByName(QStringLiteral("totalAyaTime")).asFloat(),
                 0.25);
    }

    void translationFollowsTheAyaLinesQuery() {
        DataFolder folder;
        fillLines(folder);
        const auto pic = [](const char* text) { return Value(QByteArray(text)); };
        folder.insert(data::translationsTable(),
                      {{qint64(90), qint64(4), qint64(2), qint64(0), pic("t90:4"), Value(), QStringLiteral("a4.mp3")},
                       {qint64(90), qint64(3), qint64(2), qint64(0), pic("t90:3"), Value(), QStringLiteral("a3.mp3")},
                       {qint64(90), qint64(3), qint64(1), qint64(0), pic("l1"), Value(), QStringLiteral("x.mp3")},
                       {qint64(5), qint64(3), qint64(2), qint64(0), pic("outside"), Value(), QStringLiteral("y.mp3")}});
        auto ayaLines = data::createQuery(QStringLiteral("ayaLines_qr"), data::sql::ayaLines());
        tables::DataSource ayaLinesSource(ayaLines.get());
        auto translations = data::createMainTranslationsTable();
        translations->setMasterSource(&ayaLinesSource);
        QStringList shown;
        translations->setAfterScroll([&] {
            if (!translations->eof())
                shown.append(QString::fromLatin1(
                    translations->createBlobStream(QStringLiteral("AyaTransPick"))->readAll()));
        });
        translations->open();
        auto highlight = [&](int aya, int page, int half) {
            ayaLines->close();
            ayaLines->setParam(QStringLiteral("soranum"), 90);
            ayaLines->setParam(QStringLiteral("ayanum"), aya);
            ayaLines->setParam(QStringLiteral("halfNum"), half);
            ayaLines->setParam(QStringLiteral("pageNum"), page);
            ayaLines->prepare();
            ayaLines->open();
            for (ayaLines->first(); !ayaLines->eof(); ayaLines->next()) {
            }
        };
        highlight(4, 7, 1);
        QCOMPARE(shown.last(), QStringLiteral("t90:4"));
        highlight(3, 7, 2);
        QCOMPARE(shown.last(), QStringLiteral("l1")); // language 1 sorts first in sora_aya_idx
        QCOMPARE(translations->fieldByName(QStringLiteral("SoundTransFile")).asString(), QStringLiteral("x.mp3"));
        translations->setFilter(data::filters::language(2));
        highlight(3, 7, 2);
        QCOMPARE(shown.last(), QStringLiteral("t90:3"));
        QCOMPARE(translations->fieldByName(QStringLiteral("SoundTransFile")).asString(), QStringLiteral("a3.mp3"));
        const int before = shown.size();
        highlight(3, 1, 1); // no lines of the aya on that half: the picture stays
        QCOMPARE(shown.size(), before);
        QVERIFY(translations->eof());
    }

    void designFiltersSelectThePortion() {
        DataFolder folder;
        folder.insert(data::pagesPichTable(), {{qint64(1), qint64(2), QByteArray("p1h2")},
                                               {qint64(1), qint64(1), QByteArray("p1h1")},
                                               {qint64(2), qint64(1), QByteArray("p2h1")}});
        auto pages = data::createPagesPichTable();
        pages->open();
        QCOMPARE(pages->createBlobStream(QStringLiteral("PagePich"))->readAll(), QByteArray("p1h1"));
        pages->setFilter(data::filters::pageHalf(1, 1));
        QCOMPARE(pages->recordCount(), 1);
        QCOMPARE(data::filters::pageHalf(5, 2), QStringLiteral("pagenum=5 and halfnum=2"));

        folder.insert(data::langsAraTable(), {{qint64(1), qint64(1), QStringLiteral("Arabic"), QStringLiteral("ar")},
                                              {qint64(3), qint64(4), QStringLiteral("Russian"), QStringLiteral("ru")},
                                              {qint64(2), qint64(3), QStringLiteral("English"), QStringLiteral("en")}});
        auto langs = data::createLangsAraTable();
        langs->open();
        QStringList names;
        for (; !langs->eof(); langs->next())
            names.append(langs->fieldByName(QStringLiteral("langname")).asString());
        QCOMPARE(names, (QStringList{"English", "Russian"}));

        folder.insert(data::zelanIndexTable(),
                      {{qint64(114), QString(), QString(), qint64(1), qint64(6)},
                       {qint64(98), QString(), QString(), qint64(2), qint64(8)},
                       {qint64(1), QString(), QString(), qint64(1), qint64(7)},
                       {qint64(2), QString(), QString(), qint64(2), qint64(286)}});
        auto index = data::createZelanIndexTable();
        index->open();
        auto suras = [&] {
            QList<int> out;
            for (index->first(); !index->eof(); index->next())
                out.append(index->fieldByName(QStringLiteral("SoraNum")).asInteger());
            return out;
        };
        index->setIndexName(QStringLiteral("SoraNum_idx"));
        QCOMPARE(suras(), (QList<int>{1, 98, 114}));
        index->setIndexName(QStringLiteral("DescendOrder_idx"));
        QCOMPARE(suras(), (QList<int>{1, 114, 98}));
        index->setIndexName(QStringLiteral("SoraNum_idx"));
        index->setFilter(data::filters::suraIndexByPlace(2));
        index->refresh();
        QCOMPARE(suras(), (QList<int>{98}));
        QCOMPARE(index->fieldByName(QStringLiteral("NumOfAyat")).asInteger(), 8);
    }

    void printRangeFilters_data() {
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("end");
        QTest::addColumn<QString>("filter");
        QTest::addRow("1 to 80") << 1 << 80 << "soranum = 1  or (soranum >=78 and soranum <=80)";
        QTest::addRow("80 to 1") << 80 << 1 << "soranum = 1  or (soranum >=78 and soranum <=80)";
        QTest::addRow("80 to 78") << 80 << 78 << "soranum >= 78 AND soranum <= 80";
        QTest::addRow("1 to 1") << 1 << 1 << "soranum >= 1 AND soranum <= 1";
    }
    void printRangeFilters() {
        QFETCH(int, start);
        QFETCH(int, end);
        QFETCH(QString, filter);
        QCOMPARE(data::filters::printRange(start, end), filter);
    }

    void createEmptyTablesRefusesToOverwrite() {
        DataFolder folder;
        try {
            data::createEmptyTables(folder.path(), {&data::transTempTable()});
            QFAIL("no error");
        } catch (const tables::EngineError& e) {
            QVERIFY(e.message().contains(QStringLiteral("transTemp.db")));
        }
        auto temp = data::createTransTempTable();
        temp->open();
        QVERIFY(temp->isEmpty());
    }
};

ZELAN_TEST_CLASS(DataTest)
#include "tst_data.moc"
