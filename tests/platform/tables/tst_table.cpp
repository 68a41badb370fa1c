#include "fixture.h"
#include "testmain.h"

#include "engineerror.h"
#include "table.h"

#include <QFile>
#include <QIODevice>
#include <QTest>

using namespace zelan::tables;

namespace {

// Eight rows in storage order; rowid = n.
const QStringList kNumbers{
    QStringLiteral("CREATE TABLE Numbers (n SMALLINT, grp SMALLINT, name VARCHAR(10), ratio REAL, pic BLOB)"),
    QStringLiteral("CREATE INDEX grp_idx ON Numbers (grp, n)"),
    QStringLiteral("CREATE INDEX desc_idx ON Numbers (n DESC)"),
    QStringLiteral("INSERT INTO Numbers VALUES (1, 2, 'one', 0.5, x'FFD8FF00E0')"),
    QStringLiteral("INSERT INTO Numbers VALUES (2, 1, 'two', 1.5, x'')"),
    QStringLiteral("INSERT INTO Numbers VALUES (3, 2, 'three', 2.5, NULL)"),
    QStringLiteral("INSERT INTO Numbers VALUES (4, 1, '42', 3.5, x'00')"),
    QStringLiteral("INSERT INTO Numbers VALUES (78, 3, 'x', 0, NULL)"),
    QStringLiteral("INSERT INTO Numbers VALUES (80, 3, NULL, NULL, NULL)"),
    QStringLiteral("INSERT INTO Numbers VALUES (114, 4, '', -1, NULL)"),
    QStringLiteral("INSERT INTO Numbers VALUES (-1, 4, 'minus', 1e300, NULL)")};

QList<int> column(DataSet& set, const char* field) {
    QList<int> values;
    for (set.first(); !set.eof(); set.next())
        values.append(set.fieldByName(QString::fromLatin1(field)).asInteger());
    return values;
}

} // namespace

class TableTest : public QObject {
    Q_OBJECT

private slots:
    void filtersSelectRows_data() {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QList<int>>("rows");
        QTest::addRow("blanks") << "n  >=1 AND n <= 4 " << QList<int>{1, 2, 3, 4};
        QTest::addRow("or, any case") << "n=1 Or n >=78" << QList<int>{1, 78, 80, 114};
        QTest::addRow("parentheses") << "n=1 or (n >= 78 and  n <=80)" << QList<int>{1, 78, 80};
        QTest::addRow("and binds tighter") << "n=1 or n>=78 and n<=80" << QList<int>{1, 78, 80};
        QTest::addRow("grouped or") << "(n=1 or n >=78) and grp=3" << QList<int>{78, 80};
        QTest::addRow("not equal") << "grp <> 2" << QList<int>{2, 4, 78, 80, 114, -1};
        QTest::addRow("less") << "n<2" << QList<int>{1, -1};
        QTest::addRow("negative literal") << "n = -1" << QList<int>{-1};
        QTest::addRow("field case") << "N=2 AND GRP=1" << QList<int>{2};
        QTest::addRow("blank text") << "   " << QList<int>{1, 2, 3, 4, 78, 80, 114, -1};
        QTest::addRow("no row") << "n=5" << QList<int>{};
    }
    void filtersSelectRows() {
        QFETCH(QString, filter);
        QFETCH(QList<int>, rows);
        AliasFolder folder;
        folder.create(QStringLiteral("Numbers.db"), kNumbers);
        Table table(QStringLiteral("numbers_tb"), QStringLiteral("TRANS_rus"), QStringLiteral("numbers.DB"));
        table.setFilter(filter);
        table.setFiltered(true);
        table.open();
        QCOMPARE(column(table, "n"), rows);
        QCOMPARE(table.recordCount(), rows.size());
    }

    void badFiltersAreErrorsNamingTheText_data() {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("named");
        QTest::addRow("no value") << "n=" << "n=";
        QTest::addRow("text value") << "n = 'x'" << "n = 'x'";
        QTest::addRow("dangling and") << "n=1 and" << "n=1 and";
        QTest::addRow("open parenthesis") << "(n=1" << "(n=1";
        QTest::addRow("extra parenthesis") << "n=1)" << "n=1)";
        QTest::addRow("double equals") << "n == 1" << "n == 1";
        QTest::addRow("not") << "not n=1" << "not n=1";
        QTest::addRow("sql after") << "n=1; DELETE FROM Numbers" << "DELETE FROM Numbers";
        QTest::addRow("too big") << "n=99999999999999999999" << "99999999999999999999";
        QTest::addRow("unknown field") << "n=1 or pagenum=2" << "pagenum";
        QTest::addRow("deep nesting") << QString(100, QLatin1Char('(')) + "n=1" + QString(100, QLatin1Char(')'))
                                      << "parentheses";
    }
    void badFiltersAreErrorsNamingTheText() {
        QFETCH(QString, filter);
        QFETCH(QString, named);
        AliasFolder folder;
        folder.create(QStringLiteral("Numbers.db"), kNumbers);
        Table table(QStringLiteral("numbers_tb"), QStringLiteral("trans_RUS"), QStringLiteral("Numbers.db"));
        table.setFilter(QStringLiteral("n=2"));
        table.setFiltered(true);
        table.open();
        const QString message = engineError([&] { table.setFilter(filter); });
        QVERIFY2(message.contains(named), qPrintable(message));
        // The previous filter stays in force and the table is untouched.
        QCOMPARE(table.filter(), QStringLiteral("n=2"));
        QCOMPARE(column(table, "n"), QList<int>{2});
        Table fresh(QStringLiteral("fresh_tb"), QStringLiteral("trans_RUS"), QStringLiteral("Numbers.db"));
        fresh.setFilter(filter);
        fresh.setFiltered(true);
        QVERIFY(engineError([&] { fresh.open(); }).contains(named));
        QVERIFY(!fresh.isOpen());
    }

    void cursorMovesLikeATableCursor() {
        AliasFolder folder;
        folder.create(QStringLiteral("Numbers.db"), kNumbers);
        Table table(QStringLiteral("numbers_tb"), QStringLiteral("trans_RUS"), QStringLiteral("Numbers.db"));
        table.setFilter(QStringLiteral("n <= 3 and n >= 1"));
        table.setFiltered(true);
        int scrolls = 0;
        table.setAfterScroll([&] { ++scrolls; });
        table.open();
        table.open(); // opening again changes nothing
        QCOMPARE(scrolls, 1);
        QVERIFY(table.bof() && !table.eof());
        table.next();
        table.next();
        QCOMPARE(table.fieldByName(QStringLiteral("N")).asInteger(), 3);
        table.next(); // past the end: stays on the last row
        QVERIFY(table.eof());
        QCOMPARE(table.fieldByName(QStringLiteral("n")).asInteger(), 3);
        QCOMPARE(table.moveBy(-5), -2);
        QVERIFY(table.bof());
        QCOMPARE(table.moveBy(1), 1);
        QVERIFY(!table.bof() && !table.eof());
        table.last();
        QVERIFY(table.eof());
        QCOMPARE(table.fieldByName(QStringLiteral("n")).asInteger(), 3);
        QCOMPARE(scrolls, 1 + 3 + 3);
        table.close();
        QVERIFY(engineError([&] { table.next(); }).contains(QStringLiteral("closed")));
    }

    void fieldsReadInEveryKind() {
        AliasFolder folder;
        folder.create(QStringLiteral("Numbers.db"), kNumbers);
        Table table(QStringLiteral("numbers_tb"), QStringLiteral("trans_RUS"), QStringLiteral("Numbers.db"));
        table.setFilter(QStringLiteral("n=4"));
        table.setFiltered(true);
        table.open();
        QCOMPARE(table.fieldByName(QStringLiteral("name")).asInteger(), 42); // text holding a number
        QCOMPARE(table.fieldByName(QStringLiteral("ratio")).asFloat(), 3.5);
        QCOMPARE(table.fieldByName(QStringLiteral("n")).asString(), QStringLiteral("4"));
        QCOMPARE(table.fieldByName(QStringLiteral("ratio")).asInteger(), 4);
        table.setFilter(QStringLiteral("n=80"));
        QCOMPARE(table.fieldByName(QStringLiteral("name")).asString(), QString());
        QCOMPARE(table.fieldByName(QStringLiteral("ratio")).asFloat(), 0.0);
        table.setFilter(QStringLiteral("n=1"));
        QVERIFY(engineError([&] { table.fieldByName(QStringLiteral("name")).asInteger(); }).contains(QStringLiteral("\"one\"")));
        table.setFilter(QStringLiteral("n=-1"));
        QVERIFY(engineError([&] { table.fieldByName(QStringLiteral("ratio")).asInteger(); }).contains(QStringLiteral("ratio")));
        QVERIFY(engineError([&] { table.fieldByName(QStringLiteral("nosuch")); }).contains(QStringLiteral("nosuch")));

        // An empty data set reads 0 and "".
        table.setFilter(QStringLiteral("n=5"));
        QVERIFY(table.eof() && table.bof() && table.isEmpty());
        QCOMPARE(table.fieldByName(QStringLiteral("n")).asInteger(), 0);
        QCOMPARE(table.fieldByName(QStringLiteral("name")).asString(), QString());
        QCOMPARE(table.fieldByName(QStringLiteral("ratio")).asFloat(), 0.0);
        QCOMPARE(table.bookmark(), QString());
        QCOMPARE(table.createBlobStream(QStringLiteral("pic"))->readAll(), QByteArray());
    }

    void blobStreamYieldsTheStoredBytes_data() {
        QTest::addColumn<int>("n");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addRow("picture head") << 1 << QByteArray::fromHex("FFD8FF00E0");
        QTest::addRow("empty blob") << 2 << QByteArray();
        QTest::addRow("null") << 3 << QByteArray();
        QTest::addRow("zero byte") << 4 << QByteArray(1, '\0');
    }
    void blobStreamYieldsTheStoredBytes() {
        QFETCH(int, n);
        QFETCH(QByteArray, bytes);
        AliasFolder folder;
        folder.create(QStringLiteral("Numbers.db"), kNumbers);
        Table table(QStringLiteral("numbers_tb"), QStringLiteral("trans_RUS"), QStringLiteral("Numbers.db"));
        table.setFiltered(true);
        table.setFilter(QStringLiteral("n=%1").arg(n));
        table.open();
        auto stream = table.createBlobStream(QStringLiteral("PIC"));
        QVERIFY(stream->isReadable() && !stream->isWritable());
        QCOMPARE(stream->readAll(), bytes);
    }

    void ordersByIndexOrFields() {
        AliasFolder folder;
        folder.create(QStringLiteral("Numbers.db"), kNumbers);
        Table table(QStringLiteral("numbers_tb"), QStringLiteral("trans_RUS"), QStringLiteral("Numbers.db"));
        table.open();
        QCOMPARE(column(table, "n"), (QList<int>{1, 2, 3, 4, 78, 80, 114, -1})); // storage order
        table.setIndexName(QStringLiteral("GRP_IDX"));
        QCOMPARE(column(table, "n"), (QList<int>{2, 4, 1, 3, 78, 80, -1, 114}));
        table.setIndexName(QStringLiteral("desc_idx"));
        QCOMPARE(column(table, "n"), (QList<int>{114, 80, 78, 4, 3, 2, 1, -1}));
        table.setIndexFieldNames(QStringLiteral("grp; N"));
        QCOMPARE(column(table, "n"), (QList<int>{2, 4, 1, 3, 78, 80, -1, 114}));
        QVERIFY(engineError([&] { table.setIndexName(QStringLiteral("nosuch_idx")); }).contains(QStringLiteral("nosuch_idx")));
        QVERIFY(engineError([&] { table.setIndexFieldNames(QStringLiteral("grp;bad")); }).contains(QStringLiteral("bad")));
        QCOMPARE(column(table, "n"), (QList<int>{2, 4, 1, 3, 78, 80, -1, 114}));
    }

    void bookmarksReturnToTheRow() {
        AliasFolder folder;
        folder.create(QStringLiteral("Numbers.db"), kNumbers);
        Table table(QStringLiteral("numbers_tb"), QStringLiteral("trans_RUS"), QStringLiteral("Numbers.db"));
        table.setIndexName(QStringLiteral("grp_idx"));
        table.open();
        QStringList marks;
        for (table.first(); !table.eof(); table.moveBy(3))
            marks.append(table.bookmark());
        QCOMPARE(marks.size(), 3);
        table.gotoBookmark(marks.at(2));
        QCOMPARE(table.fieldByName(QStringLiteral("n")).asInteger(), -1);
        table.gotoBookmark(marks.at(1));
        QCOMPARE(table.fieldByName(QStringLiteral("n")).asInteger(), 3);
        table.gotoBookmark(QString()); // nothing to go to
        QCOMPARE(table.fieldByName(QStringLiteral("n")).asInteger(), 3);
        table.setFiltered(true);
        table.setFilter(QStringLiteral("grp=1"));
        QVERIFY(engineError([&] { table.gotoBookmark(marks.at(2)); }).contains(marks.at(2)));
    }

    void detailFollowsEveryMoveOfItsMaster() {
        AliasFolder folder;
        folder.create(QStringLiteral("Numbers.db"), kNumbers);
        folder.create(QStringLiteral("Words.db"),
                      {QStringLiteral("CREATE TABLE Words (num SMALLINT, lang SMALLINT, word VARCHAR(20))"),
                       QStringLiteral("CREATE INDEX num_idx ON Words (num, lang)"),
                       QStringLiteral("INSERT INTO Words VALUES (2, 2, 'deux'), (1, 1, 'one'), (2, 1, 'two'), "
                                      "(1, 2, 'un'), (4, 1, 'four')")});
        Table master(QStringLiteral("master_tb"), QStringLiteral("trans_RUS"), QStringLiteral("Numbers.db"));
        master.setFiltered(true);
        master.setFilter(QStringLiteral("n <= 4 and n>=1"));
        DataSource source(&master);
        Table detail(QStringLiteral("detail_tb"), QStringLiteral("trans_RUS"), QStringLiteral("Words.db"));
        detail.setIndexName(QStringLiteral("num_idx"));
        detail.setMasterSource(&source);
        detail.setMasterFields(QStringLiteral("N"));
        QStringList seen;
        detail.setAfterScroll([&] {
            seen.append(detail.eof() ? QStringLiteral("-") : detail.fieldByName(QStringLiteral("word")).asString());
        });
        detail.open(); // master closed: no rows
        QVERIFY(detail.isEmpty());
        master.open();
        master.next();
        master.next(); // n=3 has no words
        master.next();
        master.next(); // at the end: no move, the detail stays
        QCOMPARE(seen, (QStringList{"-", "one", "two", "-", "four"}));
        QCOMPARE(detail.recordCount(), 1);
        master.first();
        QCOMPARE(column(detail, "lang"), (QList<int>{1, 2}));

        // The detail's own filter applies within the master's rows.
        detail.setFiltered(true);
        detail.setFilter(QStringLiteral("lang=2"));
        QCOMPARE(detail.fieldByName(QStringLiteral("word")).asString(), QStringLiteral("un"));
        master.next();
        QCOMPARE(detail.fieldByName(QStringLiteral("word")).asString(), QStringLiteral("deux"));

        master.close();
        QVERIFY(detail.isEmpty());
        detail.setMasterSource(nullptr);
        detail.setMasterFields(QString());
        QCOMPARE(detail.recordCount(), 2);
    }

    void writesChangeOnlyTheScratchTable() {
        AliasFolder folder;
        folder.create(QStringLiteral("transTemp.db"),
                      {QStringLiteral("CREATE TABLE transTemp (soranum SMALLINT NOT NULL, ayanum SMALLINT)"),
                       QStringLiteral("INSERT INTO transTemp VALUES (1, 1), (78, 2)")});
        Table temp(QStringLiteral("transTemp_tb"), QStringLiteral("Trans_RUS"), QStringLiteral("transTemp.db"));
        temp.setFiltered(true);
        temp.setFilter(QStringLiteral("soranum=1 or (soranum >= 78 and  soranum <=114)"));
        temp.emptyTable(); // works on a closed table
        temp.open();
        QVERIFY(temp.isEmpty());
        for (int aya = 5; aya <= 7; ++aya) {
            temp.append();
            temp.setFieldValue(QStringLiteral("SoraNum"), qint64(80));
            temp.setFieldValue(QStringLiteral("ayanum"), qint64(aya));
            temp.post();
            QCOMPARE(temp.fieldByName(QStringLiteral("ayanum")).asInteger(), aya); // stands on the new row
        }
        QCOMPARE(column(temp, "ayanum"), (QList<int>{5, 6, 7}));

        // A failed post leaves the table as it was.
        temp.append();
        temp.setFieldValue(QStringLiteral("ayanum"), qint64(9));
        QVERIFY(engineError([&] { temp.post(); }).contains(QStringLiteral("soranum")));
        temp.cancel();
        temp.refresh();
        QCOMPARE(column(temp, "ayanum"), (QList<int>{5, 6, 7}));
        QVERIFY(engineError([&] { temp.setFieldValue(QStringLiteral("ayanum"), qint64(1)); })
                    .contains(QStringLiteral("insert")));

        temp.emptyTable();
        QVERIFY(temp.isEmpty());
        temp.close();
        temp.open();
        QVERIFY(temp.isEmpty());

        temp.setReadOnly(true);
        QVERIFY(engineError([&] { temp.emptyTable(); }).contains(QStringLiteral("read-only")));
    }

    void missingOrDamagedFilesAreErrorsNamingThem() {
        AliasFolder folder;
        folder.create(QStringLiteral("Numbers.db"), kNumbers);
        Table missing(QStringLiteral("pages_tb"), QStringLiteral("trans_RUS"), QStringLiteral("pagesPich.db"));
        QVERIFY(engineError([&] { missing.open(); }).contains(QStringLiteral("pagesPich.db")));

        QFile damaged(folder.filePath(QStringLiteral("Broken.db")));
        QVERIFY(damaged.open(QIODevice::WriteOnly));
        damaged.write(QByteArray(4096, 'x'));
        damaged.close();
        Table broken(QStringLiteral("broken_tb"), QStringLiteral("trans_RUS"), QStringLiteral("Broken.db"));
        QVERIFY(engineError([&] { broken.open(); }).contains(QStringLiteral("Broken.db")));

        Table wrongName(QStringLiteral("x_tb"), QStringLiteral("trans_RUS"), QStringLiteral("Numbers.db"));
        QFile::copy(folder.filePath(QStringLiteral("Numbers.db")), folder.filePath(QStringLiteral("Other.db")));
        wrongName.setTableName(QStringLiteral("Other.db"));
        QVERIFY(engineError([&] { wrongName.open(); }).contains(QStringLiteral("no table named \"Other\"")));

        // The sound table still opens.
        Table numbers(QStringLiteral("numbers_tb"), QStringLiteral("trans_RUS"), QStringLiteral("Numbers.db"));
        numbers.open();
        QCOMPARE(numbers.recordCount(), 8);

        Table unknownAlias(QStringLiteral("a_tb"), QStringLiteral("other"), QStringLiteral("Numbers.db"));
        QVERIFY(engineError([&] { unknownAlias.open(); }).contains(QStringLiteral("\"other\"")));
    }

    void truncatedTableFileIsAnErrorNamingIt() {
        AliasFolder folder;
        QStringList statements = kNumbers;
        for (int i = 0; i < 2000; ++i) // enough rows to fill several pages of the file
            statements.append(QStringLiteral("INSERT INTO Numbers VALUES (%1, 9, 'filler', 0, NULL)").arg(i + 200));
        folder.create(QStringLiteral("Numbers.db"), statements);
        QFile file(folder.filePath(QStringLiteral("Numbers.db")));
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.size() > 16384);
        QVERIFY(file.resize(file.size() / 2 + 100));
        file.close();
        Table table(QStringLiteral("numbers_tb"), QStringLiteral("trans_RUS"), QStringLiteral("Numbers.db"));
        const QString message = engineError([&] { table.open(); });
        QVERIFY2(message.contains(QStringLiteral("Numbers")), qPrintable(message));
        QVERIFY(!table.isOpen());
    }

    void missingAliasFolderIsAnError() {
        AliasFolder folder;
        QDir(folder.path()).removeRecursively();
        Table table(QStringLiteral("numbers_tb"), QStringLiteral("trans_RUS"), QStringLiteral("Numbers.db"));
        QVERIFY(engineError([&] { table.open(); }).contains(QStringLiteral("trans_RUS")));
    }
};

ZELAN_TEST_CLASS(TableTest)
#include "tst_table.moc"
