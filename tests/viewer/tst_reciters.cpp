// The reciter list's entry of a slot that holds an imported reciter: the picture the import
// drew, in the interface's language, only while the slot holds the import, and never a file
// that is not such an entry.

#include "reciters.h"
#include "testmain.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>

using zelan::recitation::importedReciterEntry;
using zelan::recitation::importedTurnFraction;

class RecitersTest : public QObject {
    Q_OBJECT

private slots:
    void importedEntry() {
        QTemporaryDir folder;
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(folder.path()));
        const QString work = folder.filePath(QStringLiteral("Translations/Sound_aya/.import/Sarnex"));
        QVERIFY(QDir().mkpath(work));
        QImage russian(114, 21, QImage::Format_RGB32), arabic(114, 21, QImage::Format_RGB32);
        russian.fill(Qt::green);
        arabic.fill(Qt::blue);
        QVERIFY(russian.save(work + QStringLiteral("/list_rus.png")) && arabic.save(work + QStringLiteral("/list_ara.png")));
        // The pictures stay, but the slot holds the synthetic voice: the library's entry stands.
        QVERIFY(importedReciterEntry(3, true).isNull());
        QVERIFY(QDir().mkpath(work + QStringLiteral("/synthetic")));
        QCOMPARE(importedReciterEntry(3, true), russian.convertToFormat(importedReciterEntry(3, true).format()));
        QCOMPARE(importedReciterEntry(3, false).pixel(5, 5), arabic.pixel(5, 5));
        QVERIFY(importedReciterEntry(2, true).isNull()); // another slot
        QVERIFY(importedReciterEntry(5, true).isNull());
        // A picture of another size, and a file that is no picture.
        QVERIFY(QImage(400, 300, QImage::Format_RGB32).save(work + QStringLiteral("/list_rus.png")));
        QVERIFY(importedReciterEntry(3, true).isNull());
        QFile text(work + QStringLiteral("/list_ara.png"));
        QVERIFY(text.open(QIODevice::WriteOnly) && text.write("not a picture") > 0);
        text.close();
        QVERIFY(importedReciterEntry(3, false).isNull());
        QDir::setCurrent(previous);
    }

    // The turn within an aya of an imported slot: its row's share of the recording, while the
    // slot holds the import; none for a row outside its recording, or another slot.
    void importedTurn() {
        QTemporaryDir folder;
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(folder.path()));
        QVERIFY(QDir().mkpath(QStringLiteral("trans_RUS")));
        sqlite3* db = nullptr;
        QCOMPARE(sqlite3_open("trans_RUS/ReciterTurns.db", &db), SQLITE_OK);
        QCOMPARE(sqlite3_exec(db,
                              "CREATE TABLE ReciterTurns (slot SMALLINT, soranum SMALLINT, ayanum SMALLINT, "
                              "timedelay REAL, totalAyaTime REAL);"
                              "INSERT INTO ReciterTurns VALUES (2, 78, 16, 2500, 10000);"
                              "INSERT INTO ReciterTurns VALUES (2, 79, 30, 12000, 10000);",
                              nullptr, nullptr, nullptr),
                 SQLITE_OK);
        sqlite3_close(db);
        QVERIFY(!importedTurnFraction(2, 78, 16)); // the slot holds the synthetic voice
        QVERIFY(QDir().mkpath(QStringLiteral("Translations/Sound_aya/.import/Pellune/synthetic")));
        QCOMPARE(importedTurnFraction(2, 78, 16).value_or(-1), 0.25f);
        QVERIFY(!importedTurnFraction(2, 79, 30)); // beyond its recording
        QVERIFY(!importedTurnFraction(2, 80, 20)); // no row
        QVERIFY(!importedTurnFraction(1, 78, 16)); // another slot
        QDir::setCurrent(previous);
    }
};

ZELAN_TEST_CLASS(RecitersTest)
#include "tst_reciters.moc"
