#include "report.h"
#include "testmain.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <vector>

using namespace zelan::report;

namespace {

// A report over `count` records whose detail heights come from `heights` (cycled), with a
// title, a child band and a footer of known heights.
struct Fixture {
    Report report;
    std::vector<double> heights;
    int count = 0;
    int current = 0;
    std::vector<QString> printedTexts;

    Fixture(int records, std::vector<double> detailHeights, double titleHeight = 40, double childHeight = 16,
            double footerHeight = 10)
        : heights(std::move(detailHeights)), count(records) {
        report.records = {[this] { current = 0; }, [this] { ++current; },
                          [this] { return current >= count; }};
        report.addBand(BandType::Title, QStringLiteral("title")).height = titleHeight;
        Band& detail = report.addBand(BandType::Detail, QStringLiteral("detail"));
        detail.beforePrint = [this](Band& band) { band.height = heights[size_t(current) % heights.size()]; };
        Element number;
        number.name = QStringLiteral("number");
        number.kind = Element::Kind::Text;
        number.rect = QRectF(5, 1, 20, 6);
        number.field = [this] { return QString::number(current); };
        number.onPrint = [this](QString& text) {
            if (text == QLatin1String("0"))
                text = QStringLiteral("--");
            printedTexts.push_back(text);
        };
        report.addBand(BandType::Child, QStringLiteral("child")).addElement(number);
        report.band(BandType::Child)->height = childHeight;
        report.addBand(BandType::PageFooter, QStringLiteral("footer")).height = footerHeight;
    }
};

QStringList bandNames(const Page& page) {
    QStringList names;
    for (const PlacedBand& b : page.bands)
        names.append(b.name);
    return names;
}

} // namespace

class TestReport : public QObject {
    Q_OBJECT

private slots:
    // Bands never cross the footer or the top margin, details follow each other without gaps,
    // the title prints once and the footer on every page, the last one included.
    void layout_data() {
        QTest::addColumn<int>("records");
        QTest::addColumn<std::vector<double>>("heights");
        QTest::addColumn<int>("pages");
        // Page body: 297 - 15 - 10 - footer 10 = 262 mm from y 15 to 272.
        QTest::addRow("one page") << 3 << std::vector<double>{20} << 1;
        // Title 40 + 6 x (20 + 16) = 256 fits; a seventh pair moves to page 2.
        QTest::addRow("exactly full") << 6 << std::vector<double>{20} << 1;
        QTest::addRow("one more") << 7 << std::vector<double>{20} << 2;
        QTest::addRow("growing pictures") << 40 << std::vector<double>{12, 30.5, 7.25, 55} << 8;
        QTest::addRow("no records") << 0 << std::vector<double>{20} << 1;
    }
    void layout() {
        QFETCH(int, records);
        QFETCH(std::vector<double>, heights);
        QFETCH(int, pages);
        Fixture f(records, heights);
        f.report.prepare();
        const auto& laid = f.report.pages();
        QCOMPARE(int(laid.size()), pages);
        int details = 0, children = 0, titles = 0;
        for (size_t p = 0; p < laid.size(); ++p) {
            const auto& bands = laid[p].bands;
            QVERIFY(!bands.empty());
            QCOMPARE(bands.back().type, BandType::PageFooter);
            QCOMPARE(bands.back().top + bands.back().height, 287.0);
            double y = 15;
            for (size_t i = 0; i + 1 < bands.size(); ++i) {
                const PlacedBand& b = bands[i];
                QCOMPARE(b.top, y);
                QVERIFY2(b.top + b.height <= 277 + 1e-9,
                         qPrintable(QStringLiteral("page %1 band %2").arg(p).arg(i)));
                y += b.height;
                titles += b.type == BandType::Title;
                details += b.type == BandType::Detail;
                children += b.type == BandType::Child;
                if (b.type == BandType::Detail) {
                    QCOMPARE(bands[i + 1].type, BandType::Child); // kept with its child
                    QCOMPARE(b.height, heights[size_t(details - 1) % heights.size()]);
                }
            }
            // A page ends only when the next pair would not have fitted on it.
            if (p + 1 < laid.size()) {
                const auto& next = laid[p + 1].bands;
                QVERIFY(y + next[0].height + next[1].height > 277);
            }
        }
        QCOMPARE(titles, 1);
        QCOMPARE(laid[0].bands[0].type, BandType::Title);
        QCOMPARE(details, records);
        QCOMPARE(children, records);
    }

    void emptyReportAndFooterOnLastPage() {
        Fixture none(0, {20});
        none.report.printIfEmpty = false;
        none.report.prepare();
        QVERIFY(none.report.pages().empty());

        Fixture f(7, {20});
        f.report.footerOnLastPage = false;
        f.report.prepare();
        QCOMPARE(f.report.pages().size(), size_t(2));
        QCOMPARE(bandNames(f.report.pages()[0]).last(), QStringLiteral("footer"));
        QVERIFY(!bandNames(f.report.pages()[1]).contains(QStringLiteral("footer")));
    }

    // A band taller than a page starts a fresh page and is cut there; the layout goes on
    // with the next band on the following page instead of looping.
    void bandTallerThanPage() {
        Fixture f(3, {20, 400, 20});
        f.report.prepare();
        const auto& pages = f.report.pages();
        QCOMPARE(pages.size(), size_t(3));
        QCOMPARE(bandNames(pages[0]), (QStringList{"title", "detail", "child", "footer"}));
        QCOMPARE(bandNames(pages[1]), (QStringList{"detail", "footer"}));
        QCOMPARE(pages[1].bands[0].top, 15.0);
        QCOMPARE(bandNames(pages[2]), (QStringList{"child", "detail", "child", "footer"}));
        // A negative height from a handler lays out as an empty band.
        Fixture g(2, {-5});
        g.report.prepare();
        QCOMPARE(g.report.pages()[0].bands[1].height, 0.0);
    }

    // Fields are read as each band prints and the print handler sees and changes the text;
    // a handler that throws leaves no pages behind.
    void fieldsAndHandlers() {
        Fixture f(3, {20});
        int before = 0;
        f.report.beforePrint = [&] { ++before; };
        f.report.prepare();
        QCOMPARE(before, 1);
        QCOMPARE(f.printedTexts, (std::vector<QString>{"--", "1", "2"}));
        QCOMPARE(f.report.pages()[0].bands[2].elements[0].text, QStringLiteral("--"));
        QCOMPARE(f.report.pages()[0].bands[4].elements[0].text, QStringLiteral("1"));

        f.report.band(BandType::Detail)->beforePrint = [&](Band&) {
            if (f.current == 2)
                throw std::runtime_error("engine error");
        };
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, f.report.prepare());
        QVERIFY(f.report.pages().empty());
    }

    // Drawn at 2 dots per millimetre: band grounds, the page frame, a centred picture with
    // its frame, a stretched picture, and nothing outside the printable area.
    void painting() {
        Report report;
        report.page.frameWidth = 1;
        report.page.frameColour = Qt::blue;
        report.records = {[] {}, [] {}, [] { return true; }};
        Band& title = report.addBand(BandType::Title, QStringLiteral("title"));
        title.height = 40;
        title.colour = QColor(254, 255, 241);
        Element centred;
        centred.rect = QRectF(10, 5, 100, 30);
        centred.center = true;
        centred.frame = Sides::all();
        QImage red(QSize(96, 48), QImage::Format_RGB32); // 25.4 x 12.7 mm
        red.fill(Qt::red);
        centred.setPicture(red);
        title.addElement(centred);
        Element stretched;
        stretched.rect = QRectF(150, 5, 30, 30);
        stretched.stretch = true;
        QImage green(QSize(4, 4), QImage::Format_RGB32);
        green.fill(Qt::green);
        stretched.setPicture(green);
        title.addElement(stretched);
        report.prepare();

        QImage canvas(420, 594, QImage::Format_RGB32);
        canvas.fill(Qt::white);
        {
            QPainter painter(&canvas);
            report.paintPage(painter, 0, QSizeF(2, 2));
            report.paintPage(painter, 5, QSizeF(2, 2)); // out of range: nothing
        }
        const auto at = [&](double xMm, double yMm) { return canvas.pixelColor(int(xMm * 2), int(yMm * 2)); };
        // Picture centred in (20..120, 20..50): 25.4 x 12.7 mm around (70, 35).
        QCOMPARE(at(70, 35), QColor(Qt::red));
        QCOMPARE(at(56, 35), QColor(254, 255, 241));
        QCOMPARE(at(70, 27), QColor(254, 255, 241));
        QVERIFY(at(20.2, 35).value() < 80); // element frame, left side
        QCOMPARE(at(165, 35), QColor(Qt::green));
        QCOMPARE(at(150, 52), QColor(254, 255, 241)); // band ground under the elements
        QCOMPARE(at(150, 56), QColor(Qt::white));     // below the band
        QCOMPARE(at(5, 100), QColor(Qt::white));      // margin
        QCOMPARE(at(10.3, 100), QColor(Qt::blue));    // frame of the printable area
        QCOMPARE(at(105, 286.6), QColor(Qt::blue));
    }

    void pdf() {
        QTemporaryDir dir;
        Fixture f(20, {30});
        f.report.prepare();
        const QString path = dir.filePath(QStringLiteral("report.pdf"));
        QString error;
        QVERIFY2(f.report.writePdf(path, &error), qPrintable(error));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QVERIFY(bytes.startsWith("%PDF-"));
        const auto pages =
            QString::fromLatin1(bytes).count(QRegularExpression(QStringLiteral("/Type\\s*/Page\\b")));
        QCOMPARE(pages, int(f.report.pages().size()));

        const QString bad = dir.filePath(QStringLiteral("missing/report.pdf"));
        QVERIFY(!f.report.writePdf(bad, &error));
        QVERIFY2(error.contains(bad), qPrintable(error));
    }
};

ZELAN_TEST_CLASS(TestReport)
#include "tst_report.moc"
