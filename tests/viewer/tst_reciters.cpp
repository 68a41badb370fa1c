// The reciter list's entry of a slot that holds an imported reciter: the picture the import
// drew, in the interface's language, only while the slot holds the import, and never a file
// that is not such an entry.

#include "reciters.h"
#include "testmain.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using zelan::recitation::importedReciterEntry;

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
};

ZELAN_TEST_CLASS(RecitersTest)
#include "tst_reciters.moc"
