// The two interface picture libraries as the program reads them: every id of the program in
// both files with its kind, the unused ids absent, button bitmaps whose bottom-left colour is
// the ground around the glyph, the sizes the windows are laid out for, Russian sura names
// large enough to read, the string table, a file the mingw tools accept, the same bytes on
// every build, and the failures reported.

#include "interfacelibrary.h"
#include "picturedecoding.h"
#include "resourcelibrary.h"
#include "testmain.h"

#include "sourceportion.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <memory>
#include <set>

using namespace zelan::datagen;
using zelan::reslib::ResourceLibrary;

namespace {

void addRange(std::set<int>& ids, int first, int last) {
    for (int id = first; id <= last; ++id)
        ids.insert(id);
}

const std::set<int>& unusedButtonIds() {
    static const std::set<int> ids{479, 484, 492, 495, 510, 528, 532};
    return ids;
}

std::set<int> jpegIds() {
    std::set<int> ids{174, 206, 207, 333, 463, 454, 455, 538};
    addRange(ids, 284, 320);
    addRange(ids, 323, 326);
    addRange(ids, 329, 332);
    addRange(ids, 410, 446);
    addRange(ids, 447, 450);
    addRange(ids, 458, 462);
    return ids;
}

std::set<int> bitmapIds() {
    std::set<int> ids{327, 328, 537};
    addRange(ids, 466, 536);
    for (const int id : unusedButtonIds())
        ids.erase(id);
    return ids;
}

bool uniform(const QImage& image) {
    const QRgb first = image.pixel(0, 0);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != first)
                return false;
    return true;
}

QString toString(const QList<int>& values) {
    QStringList texts;
    for (const int value : values)
        texts << QString::number(value);
    return texts.join(QLatin1Char(' '));
}

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class InterfaceLibraryTest : public QObject {
    Q_OBJECT

    std::optional<Portion> m_portion;
    QTemporaryDir m_folder;
    std::shared_ptr<const ResourceLibrary> m_arabic, m_russian;

    std::shared_ptr<const ResourceLibrary> library(const QString& language) const {
        return language == QLatin1String("ara") ? m_arabic : m_russian;
    }

    void languageRows() {
        QTest::addColumn<QString>("language");
        QTest::addRow("Arabic") << QStringLiteral("ara");
        QTest::addRow("Russian") << QStringLiteral("rus");
    }

private slots:
    void initTestCase() {
        ZELAN_LOAD_SOURCE_PORTION(m_portion);
        QString error;
        QVERIFY(m_folder.isValid());
        // ZELAN_INTERFACE_SHEETS names a folder that keeps the contact sheets for a look.
        const QString sheets = qEnvironmentVariable("ZELAN_INTERFACE_SHEETS", m_folder.path());
        QVERIFY2(buildInterfaceLibraries(*m_portion, m_folder.path(), sheets, &error), qPrintable(error));
        m_arabic = ResourceLibrary::load(m_folder.filePath(QStringLiteral("Ara2/zelan_ara.dll")), &error);
        QVERIFY2(m_arabic, qPrintable(error));
        m_russian = ResourceLibrary::load(m_folder.filePath(QStringLiteral("rus2/zelan_rus.dll")), &error);
        QVERIFY2(m_russian, qPrintable(error));
        QVERIFY(QFileInfo::exists(sheets + QStringLiteral("/contact_ara.png")));
        QVERIFY(QFileInfo::exists(sheets + QStringLiteral("/contact_rus.png")));
    }

    void everyIdDecodesAsItsKind_data() { languageRows(); }
    void everyIdDecodesAsItsKind() {
        QFETCH(QString, language);
        const auto lib = library(language);
        for (const int id : jpegIds()) {
            const auto bytes = lib->rcData(id);
            QVERIFY2(bytes, qPrintable(QStringLiteral("JPEG picture %1 missing").arg(id)));
            QString error;
            const auto image = zelan::ui::decodeJpeg(*bytes, &error);
            QVERIFY2(image, qPrintable(QStringLiteral("picture %1: %2").arg(id).arg(error)));
            QVERIFY2(!uniform(*image), qPrintable(QStringLiteral("picture %1 is blank").arg(id)));
        }
        for (const int id : bitmapIds()) {
            const auto bytes = lib->rcData(id);
            QVERIFY2(bytes, qPrintable(QStringLiteral("bitmap %1 missing").arg(id)));
            QVERIFY2(bytes->startsWith("BM"), qPrintable(QStringLiteral("bitmap %1 is no BMP file").arg(id)));
            QString error;
            const auto image = zelan::ui::decodeButtonBitmap(*bytes, &error);
            QVERIFY2(image, qPrintable(QStringLiteral("bitmap %1: %2").arg(id).arg(error)));
        }
    }

    // No id outside the program's table: an unused button id, or a stray picture, would be a
    // picture the program never shows while the one it asks for is missing.
    void noOtherIds_data() { languageRows(); }
    void noOtherIds() {
        QFETCH(QString, language);
        const auto lib = library(language);
        const std::set<int> jpeg = jpegIds(), bitmap = bitmapIds();
        for (int id = 0; id <= 1000; ++id) {
            if (jpeg.count(id) || bitmap.count(id))
                continue;
            QVERIFY2(!lib->rcData(id), qPrintable(QStringLiteral("unexpected picture %1").arg(id)));
        }
        for (const int id : unusedButtonIds())
            QVERIFY(!lib->rcData(id));
    }

    // The loader takes the bottom-left pixel as the transparent colour: it must be the ground
    // around the glyph, so all four corners share it and the glyph does not.
    void bitmapKeyIsTheGround_data() { languageRows(); }
    void bitmapKeyIsTheGround() {
        QFETCH(QString, language);
        const auto lib = library(language);
        for (const int id : bitmapIds()) {
            const QImage raw = QImage::fromData(*lib->rcData(id), "BMP").convertToFormat(QImage::Format_RGB32);
            QVERIFY2(!raw.isNull(), qPrintable(QStringLiteral("bitmap %1 does not decode").arg(id)));
            const QRgb key = raw.pixel(0, raw.height() - 1);
            const int right = raw.width() - 1, bottom = raw.height() - 1;
            for (const QPoint corner : {QPoint(0, 0), QPoint(right, 0), QPoint(right, bottom)})
                QVERIFY2(raw.pixel(corner) == key,
                         qPrintable(QStringLiteral("bitmap %1: corner (%2, %3) is not the key colour")
                                        .arg(id)
                                        .arg(corner.x())
                                        .arg(corner.y())));
            const QImage shown = *zelan::ui::decodeButtonBitmap(*lib->rcData(id));
            int opaque = 0;
            for (int y = 0; y < shown.height(); ++y)
                for (int x = 0; x < shown.width(); ++x)
                    opaque += qAlpha(shown.pixel(x, y)) == 255;
            QVERIFY2(opaque > shown.width() * shown.height() / 10,
                     qPrintable(QStringLiteral("bitmap %1 shows almost nothing (%2 opaque pixels)").arg(id).arg(opaque)));
        }
    }

    void sizes_data() {
        QTest::addColumn<QString>("language");
        QTest::addColumn<int>("id");
        QTest::addColumn<int>("width");  // exact; or the largest with `atMost`
        QTest::addColumn<int>("height"); // exact, 0 for any; or the largest with `atMost`
        QTest::addColumn<bool>("atMost");
        for (const char* language : {"ara", "rus"}) {
            auto row = [&](int id, int w, int h, bool atMost = false) {
                QTest::addRow("%s %d", language, id) << QString::fromLatin1(language) << id << w << h << atMost;
            };
            row(174, 795, 582);
            row(463, 800, 600);
            row(538, 600, 200);
            row(537, 300, 0);
            for (int id : {206, 207, 284, 300, 320})
                row(id, 121, 40);
            for (int id : {329, 332, 333, 410, 424, 446})
                row(id, 114, 21, true); // within the closed list's field
            for (int id : {447, 448})
                row(id, 120, 23, true);
        }
    }
    void sizes() {
        QFETCH(QString, language);
        QFETCH(int, id);
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(bool, atMost);
        const QByteArray bytes = *library(language)->rcData(id);
        const QImage image = id == 537 ? *zelan::ui::decodeButtonBitmap(bytes) : *zelan::ui::decodeJpeg(bytes);
        if (atMost) {
            QVERIFY(image.width() <= width);
            QVERIFY(image.height() <= height);
        } else {
            QCOMPARE(image.width(), width);
            if (height != 0)
                QCOMPARE(image.height(), height);
        }
    }

    // The Russian sura names in the lists and the sura headings are drawn at a size that
    // reads beside the Arabic ones, on two lines where one does not hold them. Digits and
    // capitals set at 11 px stand 8 rows tall: the tallest line of a list entry, and the last
    // line of a heading (the name, under "Сура N" or on two lines of its own), are no lower.
    void russianSuraNamesReadable() {
        // The heights of the runs of rows that hold ink, leaving out the one- and two-row
        // slivers that a descender's foot leaves after the JPEG's smoothing.
        auto lines = [](const QImage& image, const QRect& area, auto isInk) {
            QList<int> heights;
            int run = 0;
            for (int y = area.top(); y <= area.bottom() + 1; ++y) {
                bool ink = false;
                for (int x = area.left(); y <= area.bottom() && x <= area.right() && !ink; ++x)
                    ink = isInk(image.pixel(x, y));
                if (ink) {
                    ++run;
                    continue;
                }
                if (run > 2)
                    heights << run;
                run = 0;
            }
            return heights;
        };
        QStringList small;
        for (const Sura& sura : m_portion->suras) {
            const int entryId = sura.number == 1 ? 333 : 332 + sura.number;
            const int headingId = sura.number == 1 ? 207 : 206 + sura.number;
            const QImage entry = *zelan::ui::decodeJpeg(*m_russian->rcData(entryId));
            const QImage heading = *zelan::ui::decodeJpeg(*m_russian->rcData(headingId));
            const QList<int> entryLines = lines(entry, entry.rect(), [](QRgb c) { return qGray(c) > 200; });
            // Inside the heading's gold line, dark ink on the cream ground.
            const QList<int> headingLines =
                lines(heading, QRect(8, 6, 105, 29), [](QRgb c) { return qGray(c) < 150; });
            if (entryLines.isEmpty() || *std::max_element(entryLines.begin(), entryLines.end()) < 8)
                small << QStringLiteral("list entry %1 (lines %2)").arg(entryId).arg(toString(entryLines));
            if (headingLines.isEmpty() || headingLines.last() < 8)
                small << QStringLiteral("heading %1 (lines %2)").arg(headingId).arg(toString(headingLines));
        }
        QVERIFY2(small.isEmpty(), qPrintable(small.join(QStringLiteral("; "))));
    }

    void strings_data() {
        QTest::addColumn<QString>("language");
        QTest::addColumn<int>("charset");
        QTest::addColumn<QString>("face");
        QTest::addRow("Arabic") << QStringLiteral("ara") << 178 << QStringLiteral("Amiri");
        QTest::addRow("Russian") << QStringLiteral("rus") << 204 << QStringLiteral("DejaVu Sans");
    }
    void strings() {
        QFETCH(QString, language);
        QFETCH(int, charset);
        QFETCH(QString, face);
        const auto lib = library(language);
        QCOMPARE(lib->string(132).value_or(QString()), face);
        bool ok = false;
        QCOMPARE(lib->string(133).value_or(QString()).toInt(&ok), charset);
        QVERIFY(ok);
        const int points = lib->string(134).value_or(QString()).toInt(&ok);
        QVERIFY(ok);
        QVERIFY(points >= 8 && points <= 24);
        QVERIFY(!lib->string(153).value_or(QString()).trimmed().isEmpty());
        QVERIFY(!lib->string(156).value_or(QString()).trimmed().isEmpty());
    }

    void mingwToolsAcceptTheFiles_data() { languageRows(); }
    void mingwToolsAcceptTheFiles() {
        QFETCH(QString, language);
        const QString objdump = QStandardPaths::findExecutable(QStringLiteral("x86_64-w64-mingw32-objdump"));
        if (objdump.isEmpty()) {
            if (qEnvironmentVariableIsSet("ZELAN_REQUIRE_PROGRAM"))
                QFAIL("x86_64-w64-mingw32-objdump is missing (Debian package binutils-mingw-w64-x86-64)");
            QSKIP("x86_64-w64-mingw32-objdump is missing (Debian package binutils-mingw-w64-x86-64)");
        }
        const QString path = interfaceLibraryPath(m_folder.path(), language == QLatin1String("ara")
                                                                       ? UiLanguage::Arabic
                                                                       : UiLanguage::Russian);
        QProcess process;
        process.start(objdump, {QStringLiteral("-x"), path});
        QVERIFY(process.waitForFinished(30000));
        const QString out = QString::fromLocal8Bit(process.readAllStandardOutput());
        const QString err = QString::fromLocal8Bit(process.readAllStandardError());
        QCOMPARE(process.exitCode(), 0);
        QVERIFY2(err.trimmed().isEmpty(), qPrintable(err));
        QVERIFY(out.contains(QLatin1String("pei-x86-64")));
        QVERIFY(out.contains(QLatin1String(".rsrc")));
    }

    void secondBuildIsByteIdentical() {
        QTemporaryDir again;
        QString error;
        QVERIFY2(buildInterfaceLibraries(*m_portion, again.path(), QString(), &error), qPrintable(error));
        for (const UiLanguage language : {UiLanguage::Arabic, UiLanguage::Russian}) {
            const QByteArray first = fileBytes(interfaceLibraryPath(m_folder.path(), language));
            QVERIFY(!first.isEmpty());
            const QByteArray second = fileBytes(interfaceLibraryPath(again.path(), language));
            if (first != second) {
                // Name the picture that differs.
                const auto a = ResourceLibrary::fromBytes(first, QStringLiteral("first"));
                const auto b = ResourceLibrary::fromBytes(second, QStringLiteral("second"));
                QVERIFY(a && b);
                for (int id = 0; id <= 1000; ++id)
                    QVERIFY2(a->rcData(id) == b->rcData(id), qPrintable(QStringLiteral("picture %1 differs").arg(id)));
                QFAIL("the libraries differ outside their pictures");
            }
        }
        QVERIFY(!QFileInfo::exists(again.filePath(QStringLiteral("contact_ara.png"))));
    }

    // A failed build says why and leaves the library already in place untouched.
    void failuresLeaveTheOldLibrary() {
        QTemporaryDir folder;
        const QString arabic = interfaceLibraryPath(folder.path(), UiLanguage::Arabic);
        QVERIFY(QDir().mkpath(QFileInfo(arabic).absolutePath()));
        {
            QFile old(arabic);
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write("previous");
        }
        Portion partial = *m_portion;
        partial.suras.pop_back(); // sura 114
        QString error;
        QVERIFY(!buildInterfaceLibraries(partial, folder.path(), QString(), &error));
        QVERIFY2(error.contains(QLatin1String("114")), qPrintable(error));
        QCOMPARE(fileBytes(arabic), QByteArray("previous"));

        // The Russian folder's place taken by a file: the error names the library.
        {
            QFile blocker(folder.filePath(QStringLiteral("rus2")));
            QVERIFY(blocker.open(QIODevice::WriteOnly));
        }
        error.clear();
        QVERIFY(!buildInterfaceLibraries(*m_portion, folder.path(), QString(), &error));
        QVERIFY2(error.contains(QLatin1String("zelan_rus.dll")), qPrintable(error));
    }
};

ZELAN_TEST_CLASS(InterfaceLibraryTest)
#include "tst_interface.moc"
