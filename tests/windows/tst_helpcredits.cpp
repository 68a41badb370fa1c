#include "programfolder.h"
#include "testmain.h"

#include "designresources.h"
#include "imagecontrol.h"
#include "messages.h"
#include "nobza.h"
#include "picturelibrary.h"
#include "workgroup.h"

#include "platform/reslib/resourcelibrary.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>

using namespace zelan;

namespace {

// Writes `text` to `path`, making its folders.
bool writeFile(const QString& path, const QByteArray& text) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
}

// A program folder whose guides name their language and link to a second page.
void writeGuides(const QString& folder) {
    for (const auto& [path, title] : {std::pair{"doc/ara/userguide.htm", "Arabic guide"},
                                      std::pair{"doc/rus/userguide_RU.htm", "Russian guide"}}) {
        const QString guide = QDir(folder).filePath(QString::fromLatin1(path));
        QVERIFY(writeFile(guide, QByteArray("<html><body><h1>") + title +
                                     "</h1><p><a href=\"second.htm\">more</a></p></body></html>"));
        QVERIFY(writeFile(QFileInfo(guide).dir().filePath(QStringLiteral("second.htm")),
                          "<html><body><h1>Second page</h1></body></html>"));
    }
}

// The credits picture: 300 wide, as tall as the real one, its bottom-left pixel the key.
ui::PictureLibrary creditsLibrary() {
    QImage credits(300, 780, QImage::Format_RGB32);
    credits.fill(QColor(250, 245, 220));
    credits.setPixelColor(0, 779, Qt::magenta);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    credits.save(&buffer, "BMP");
    reslib::ResourceLibraryContent content;
    content.rcData.insert(537, bytes);
    return reslib::ResourceLibrary::fromBytes(reslib::writeResourceLibrary(content), QStringLiteral("fixture"));
}

} // namespace

class HelpCreditsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { design::initDesignResources(); }
    void cleanup() { ui::setModalHook({}); }

    // The guide of the language below the program folder, as a local-file location: the same
    // "file://" text as the folder and file joined, and still that file when the folder's
    // name holds characters that mean something else in a location.
    void helpLocation_data() {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("file");
        QTest::addRow("Arabic") << "/opt/zelan" << ui::kArabic << "/opt/zelan/doc/ara/userguide.htm";
        QTest::addRow("Russian") << "/opt/zelan" << ui::kRussian << "/opt/zelan/doc/rus/userguide_RU.htm";
        QTest::addRow("folder with a trailing slash") << "/opt/zelan/" << ui::kRussian
                                                      << "/opt/zelan/doc/rus/userguide_RU.htm";
        QTest::addRow("#, ? and percent in the folder") << "/opt/a#b?c%20d" << ui::kArabic
                                                  << "/opt/a#b?c%20d/doc/ara/userguide.htm";
    }
    void helpLocation() {
        QFETCH(QString, folder);
        QFETCH(int, code);
        QFETCH(QString, file);
        const QUrl location = ::helpLocation(folder, code);
        QCOMPARE(location.scheme(), QStringLiteral("file"));
        QCOMPARE(location.toLocalFile(), file);
        QVERIFY(!location.hasFragment());
        QVERIFY(!location.hasQuery());
        if (!file.contains(QLatin1Char('#')) && !file.contains(QLatin1Char('%')))
            QCOMPARE(location.toString(), QStringLiteral("file://") + file);
    }

    // The window opens maximized on the guide of its language, found below the folder it is
    // given; a repaint, a new show or a followed link never sends it back to the start.
    void helpWindowOpensTheGuideOnce_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("folderName");
        QTest::addRow("Arabic") << ui::kArabic << "Arabic guide" << "program";
        QTest::addRow("Russian") << ui::kRussian << "Russian guide" << "program";
        QTest::addRow("folder named with # and percent") << ui::kArabic << "Arabic guide" << "prog#ram 100%";
    }
    void helpWindowOpensTheGuideOnce() {
        QFETCH(int, code);
        QFETCH(QString, title);
        QFETCH(QString, folderName);
        QTemporaryDir dir;
        const QString folder = dir.filePath(folderName);
        writeGuides(folder);
        Tnobza_frm window(nullptr, code, folder);
        QVERIFY(window.windowState() & Qt::WindowMaximized);
        window.show();
        QCOMPARE(window.CppWebBrowser1->source().toLocalFile(), helpGuideFile(folder, code));
        QVERIFY(window.CppWebBrowser1->toPlainText().contains(title));

        window.CppWebBrowser1->setSource(QUrl(QStringLiteral("second.htm")));
        QVERIFY(window.CppWebBrowser1->toPlainText().contains(QStringLiteral("Second page")));
        window.repaint();
        window.hide();
        window.show();
        QCoreApplication::processEvents();
        QVERIFY(window.CppWebBrowser1->toPlainText().contains(QStringLiteral("Second page")));
    }

    // Without its guide the window says which file is missing, in the interface language; the
    // path is shown as text, whatever characters it holds.
    void missingGuideNamesTheFile_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("words");
        QTest::addRow("Arabic") << ui::kArabic << QStringLiteral("الملف غير موجود");
        QTest::addRow("Russian") << ui::kRussian << QStringLiteral("Файл не найден");
    }
    void missingGuideNamesTheFile() {
        QFETCH(int, code);
        QFETCH(QString, words);
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("<b>odd & folder</b>"));
        QVERIFY(QDir().mkpath(folder));
        Tnobza_frm window(nullptr, code, folder);
        window.show();
        const QString text = window.CppWebBrowser1->toPlainText();
        QVERIFY2(text.contains(helpGuideFile(folder, code)), qPrintable(text));
        QVERIFY(text.contains(words));
    }

    // Shown modally through the seam, held in the global while it is shown.
    void helpWindowIsShownModally() {
        const Tnobza_frm* seen = nullptr;
        ui::setModalHook([&](QDialog* dialog) {
            seen = nobza_frm;
            return dialog == nobza_frm ? 1 : 0;
        });
        showHelpWindow(nullptr, ui::kRussian, QStringLiteral("/nonexistent"));
        QVERIFY(seen);
        QCOMPARE(nobza_frm, nullptr);
    }

    // The guides the data tools wrote for the program are where the window looks for them.
    void programFolderGuides() {
        QString folder, previous;
        ZELAN_ENTER_PROGRAM_FOLDER(folder, previous);
        QDir::setCurrent(previous);
        for (int code : {ui::kArabic, ui::kRussian}) {
            Tnobza_frm window(nullptr, code, folder);
            window.show();
            QCOMPARE(window.CppWebBrowser1->source(), ::helpLocation(folder, code));
            QVERIFY(window.CppWebBrowser1->toPlainText().size() > 1000);
        }
    }

    // The credits start 100 pixels down and move up a pixel a tick; at -780 they jump back to
    // 350, the first time after 880 ticks and then every 1130.
    void creditsScroll() {
        Tgroup_frm window(nullptr, creditsLibrary());
        QCOMPARE(window.size(), QSize(410, 367));
        QCOMPARE(window.group_im->geometry(), QRect(55, 100, 300, 780));
        QVERIFY(window.Timer1->isActive());
        QCOMPARE(window.Timer1->interval(), 100);
        const auto tick = [&](int ticks) {
            for (int i = 0; i < ticks; ++i)
                window.Timer1Timer();
            return window.group_im->y();
        };
        QCOMPARE(tick(1), 99);
        QCOMPARE(tick(878), -779);
        QCOMPARE(tick(1), 350);
        QCOMPARE(tick(1129), -779);
        QCOMPARE(tick(1), 350);
        QCOMPARE(window.group_im->x(), 55);
    }

    // The window stands on the page box's top-left corner, wherever the main window is.
    void creditsOpenOverThePageBox() {
        QWidget main;
        main.setGeometry(230, 140, 900, 700);
        auto* pageBox = new QWidget(&main);
        pageBox->setGeometry(37, 88, 412, 354);
        main.show();
        QPoint shownAt;
        const Tgroup_frm* held = nullptr;
        ui::setModalHook([&](QDialog* dialog) {
            shownAt = dialog->pos();
            held = group_frm;
            return 0;
        });
        showCreditsWindow(&main, pageBox, creditsLibrary());
        QCOMPARE(shownAt, main.geometry().topLeft() + QPoint(37, 88));
        QVERIFY(held);
        QCOMPARE(group_frm, nullptr);
    }

    // Only pixels of exactly the key colour are see-through, whatever the desktop theme; the
    // design background has them outside its rounded corners and nowhere inside.
    void creditsShape() {
        QImage picture(4, 2, QImage::Format_RGB32);
        picture.fill(QColor(30, 80, 40));
        picture.setPixel(0, 0, kCreditsKeyColour);
        picture.setPixel(3, 1, kCreditsKeyColour);
        picture.setPixel(1, 0, qRgb(254, 0, 255)); // near the key is not the key
        const QRegion shape = ::creditsShape(picture);
        QVERIFY(!shape.contains(QPoint(0, 0)));
        QVERIFY(!shape.contains(QPoint(3, 1)));
        QVERIFY(shape.contains(QPoint(1, 0)));
        QVERIFY(shape.contains(QPoint(2, 1)));
        QVERIFY(::creditsShape(QImage()).isEmpty());

        Tgroup_frm window(nullptr, creditsLibrary());
        const QRegion mask = window.mask();
        QVERIFY(!mask.contains(QPoint(0, 0)));
        QVERIFY(!mask.contains(QPoint(409, 366)));
        for (const QPoint inside : {QPoint(10, 10), QPoint(205, 183), QPoint(399, 356), QPoint(205, 0)})
            QVERIFY2(mask.contains(inside), qPrintable(QStringLiteral("%1,%2").arg(inside.x()).arg(inside.y())));
    }

    void creditsCloseGlyphCloses() {
        Tgroup_frm window(nullptr, creditsLibrary());
        window.show();
        QCOMPARE(window.Image2->geometry(), QRect(387, 6, 16, 16));
        QTest::mouseClick(window.Image2, Qt::LeftButton, {}, QPoint(8, 8));
        QVERIFY(!window.isVisible());
    }
};

ZELAN_TEST_CLASS(HelpCreditsTest)
#include "tst_helpcredits.moc"
