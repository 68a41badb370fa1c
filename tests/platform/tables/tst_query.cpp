#include "fixture.h"
#include "testmain.h"

#include "engineerror.h"
#include "query.h"
#include "table.h"

#include <QTest>

using namespace zelan::tables;

namespace {

const QStringList kLines{
    QStringLiteral("CREATE TABLE LINES_ruvo (pagenum SMALLINT, halfnum SMALLINT, soranum SMALLINT, ayanum SMALLINT, "
                   "ylinefromtop SMALLINT, x1aya SMALLINT, x2aya SMALLINT)"),
    QStringLiteral("CREATE INDEX lines_sora_aya ON LINES_ruvo (soranum, ayanum)"),
    QStringLiteral("INSERT INTO LINES_ruvo VALUES (7, 2, 90, 3, 300, 10, 400), (8, 1, 90, 3, 40, 200, 400), "
                   "(7, 2, 90, 3, 260, 10, 400), (7, 1, 90, 4, 100, 10, 400)")};

} // namespace

class QueryTest : public QObject {
    Q_OBJECT

private slots:
    void runsTheTextWithNamedParameters() {
        AliasFolder folder;
        folder.create(QStringLiteral("LINES_ruvo.DB"), kLines);
        Query query(QStringLiteral("lines_qr"), QStringLiteral("trans_rus"),
                    {QStringLiteral("select  pagenum, halfnum, ylinefromtop "), QStringLiteral("from lines_ruvo"),
                     QStringLiteral("where soranum=:soranum"), QStringLiteral("          and ayanum=:ayaNum"),
                     QStringLiteral("order by pagenum, halfnum desc, ylinefromtop")});
        QCOMPARE(query.paramNames(), (QStringList{"soranum", "ayaNum"}));
        for (int run = 0; run < 2; ++run) { // the same query again, as every use does
            query.close();
            query.setParam(QStringLiteral("SORANUM"), 90);
            query.setParam(QStringLiteral("ayanum"), 3);
            query.prepare();
            query.open();
            QList<int> ys;
            for (query.first(); !query.eof(); query.next())
                ys.append(query.fieldByName(QStringLiteral("yLineFromTop")).asInteger());
            QCOMPARE(ys, (QList<int>{260, 300, 40}));
        }
        QVERIFY(query.isPrepared());
        query.close();
        query.setParam(QStringLiteral("ayanum"), 9);
        query.open();
        QVERIFY(query.eof());
        QCOMPARE(query.fieldByName(QStringLiteral("pagenum")).asString(), QString());
        QCOMPARE(query.fieldByName(QStringLiteral("pagenum")).asInteger(), 0);
    }

    void withoutOrderRowsComeAsStored() {
        AliasFolder folder;
        folder.create(QStringLiteral("LINES_ruvo.DB"), kLines);
        Query query(QStringLiteral("halfNum_qr"), QStringLiteral("trans_RUS"),
                    {QStringLiteral("select * from lines_ruvo"), QStringLiteral("where soranum=:soranum"),
                     QStringLiteral("       and ayaNum=:ayaNum")});
        query.setParam(QStringLiteral("soranum"), 90);
        query.setParam(QStringLiteral("ayaNum"), 3);
        query.open();
        QCOMPARE(query.recordCount(), 3);
        QCOMPARE(query.fieldByName(QStringLiteral("ylinefromtop")).asInteger(), 300);
        QCOMPARE(query.fieldNames().size(), 7);
    }

    void errorsNameWhatIsAtFault() {
        AliasFolder folder;
        folder.create(QStringLiteral("LINES_ruvo.DB"), kLines);
        Query query(QStringLiteral("q"), QStringLiteral("trans_RUS"),
                    {QStringLiteral("select pagenum from lines_ruvo"), QStringLiteral("where soranum=:soranum")});
        QVERIFY(engineError([&] { query.setParam(QStringLiteral("ayanum"), 1); }).contains(QStringLiteral("ayanum")));
        QVERIFY(engineError([&] { query.open(); }).contains(QStringLiteral("no value for parameter \"soranum\"")));
        QVERIFY(!query.isOpen());

        Query unknownTable(QStringLiteral("q2"), QStringLiteral("trans_RUS"),
                           {QStringLiteral("select * from pagesPich")});
        QVERIFY(engineError([&] { unknownTable.open(); }).contains(QStringLiteral("pagesPich")));
        Query unknownField(QStringLiteral("q3"), QStringLiteral("trans_RUS"),
                           {QStringLiteral("select lastaya from lines_ruvo")});
        QVERIFY(engineError([&] { unknownField.prepare(); }).contains(QStringLiteral("lastaya")));
    }

    void queriesAndTablesShareTheFolder() {
        AliasFolder folder;
        folder.create(QStringLiteral("LINES_ruvo.DB"), kLines);
        folder.create(QStringLiteral("transTemp.db"), {QStringLiteral("CREATE TABLE transTemp (soranum SMALLINT, ayanum SMALLINT)")});
        Table temp(QStringLiteral("transTemp_tb"), QStringLiteral("Trans_RUS"), QStringLiteral("transTemp.db"));
        temp.open();
        temp.append();
        temp.setFieldValue(QStringLiteral("soranum"), qint64(90));
        temp.setFieldValue(QStringLiteral("ayanum"), qint64(4));
        temp.post();
        // A query can join any table of the folder, whichever component opened it first.
        Query query(QStringLiteral("join_qr"), QStringLiteral("trans_RUS"),
                    {QStringLiteral("select l.pagenum from lines_ruvo l, transtemp t"),
                     QStringLiteral("where l.soranum = t.soranum and l.ayanum = t.ayanum")});
        query.open();
        QCOMPARE(query.fieldByName(QStringLiteral("pagenum")).asInteger(), 7);
    }
};

ZELAN_TEST_CLASS(QueryTest)
#include "tst_query.moc"
