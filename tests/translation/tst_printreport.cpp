#include "messages.h"
#include "picturelist.h"
#include "printfixture.h"
#include "testmain.h"
#include "transoptions.h"

#ifdef ZELAN_HAVE_DESIGN
#include "designresources.h"
#endif

#include <QLineEdit>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

using zelan::report::BandType;
using zelan::report::PlacedBand;

namespace {

constexpr int kDpi = 100;
constexpr double kDotsPerMm = kDpi / 25.4;

bool near(QColor a, QColor b, int tolerance = 14) {
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

QString describe(QColor c) {
    return QStringLiteral("(%1, %2, %3)").arg(c.red()).arg(c.green()).arg(c.blue());
}

} // namespace

class TestPrintReport : public QObject {
    Q_OBJECT

    QImage m_page;
    std::vector<PlacedBand> m_bands;

    QColor at(double xMm, double yMm) const {
        return m_page.pixelColor(int(xMm * kDotsPerMm), int(yMm * kDotsPerMm));
    }

    // Pixels of a colour kind inside a rectangle of the page, in millimetres.
    int count(const QRectF& mm, const std::function<bool(QColor)>& test) const {
        int n = 0;
        for (int y = int(mm.top() * kDotsPerMm); y < int(mm.bottom() * kDotsPerMm); ++y) {
            for (int x = int(mm.left() * kDotsPerMm); x < int(mm.right() * kDotsPerMm); ++x)
                n += test(m_page.pixelColor(x, y));
        }
        return n;
    }

    const zelan::report::Element& element(const PlacedBand& band, const char* name) const {
        for (const auto& e : band.elements) {
            if (e.name == QLatin1String(name))
                return e;
        }
        qFatal("no element %s", name);
    }

    QRectF onPage(const PlacedBand& band, const QRectF& rect) const { return rect.translated(10, band.top); }

private slots:
    // Prints sura 78 ayas 1 to 3 through the preview's own paint request into a PDF, renders
    // the PDF with pdftoppm and looks at the page.
    void initTestCase() {
        const QString pdftoppm = QStandardPaths::findExecutable(QStringLiteral("pdftoppm"));
        if (pdftoppm.isEmpty())
            QSKIP("pdftoppm (poppler-utils) is not installed");
#ifdef ZELAN_HAVE_DESIGN
        zelan::design::initDesignResources();
#endif
        printfixture::Folder folder;
        const QString pdf = folder.path() + QStringLiteral("/report.pdf");
        zelan::ui::setModalHook([&](QDialog* dialog) {
            if (auto* preview = qobject_cast<QPrintPreviewDialog*>(dialog)) {
                QPrinter printer(QPrinter::HighResolution);
                printer.setOutputFormat(QPrinter::PdfFormat);
                printer.setOutputFileName(pdf);
                emit preview->paintRequested(&printer);
            }
            return 0;
        });
        const auto unhook = qScopeGuard([] { zelan::ui::setModalHook({}); });
        Ttrans_options_frm w(nullptr);
        w.startSora_cb->setCurrentIndex(1);
        w.startSora_cbChange();
        w.endSora_cb->setCurrentIndex(1);
        w.endSora_cbChange();
        w.endAya_ed->setText(QStringLiteral("3"));
        w.okButton_imClick();
        QCOMPARE(trans_rep_fm->QuickRep1.pages().size(), size_t(1));
        m_bands = trans_rep_fm->QuickRep1.pages()[0].bands;

        QProcess render;
        render.start(pdftoppm, {QStringLiteral("-r"), QString::number(kDpi), QStringLiteral("-png"),
                                QStringLiteral("-singlefile"), pdf, folder.path() + QStringLiteral("/page")});
        QVERIFY(render.waitForFinished(30000));
        QCOMPARE(render.exitCode(), 0);
        m_page = QImage(folder.path() + QStringLiteral("/page.png")).convertToFormat(QImage::Format_RGB32);
        QVERIFY(!m_page.isNull());
        if (qEnvironmentVariableIsSet("ZELAN_KEEP_REPORT_PAGE"))
            m_page.save(qEnvironmentVariable("ZELAN_KEEP_REPORT_PAGE"));
    }

    void pageIsA4WithItsFrame() {
        QVERIFY(std::abs(m_page.width() - 827) <= 1);
        QVERIFY(std::abs(m_page.height() - 1169) <= 1);
        QVERIFY(near(at(5, 100), Qt::white));
        QVERIFY2(at(10.2, 100).value() < 160, qPrintable(describe(at(10.2, 100)))); // frame, left
        QVERIFY2(at(199.8, 100).value() < 160, qPrintable(describe(at(199.8, 100))));
    }

    void bandsInOrder() {
        QStringList names;
        for (const PlacedBand& b : m_bands)
            names.append(b.name);
        QCOMPARE(names, (QStringList{"TitleBand1", "DetailBand1", "ChildBand1", "DetailBand1", "ChildBand1",
                                     "DetailBand1", "ChildBand1", "PageFooterBand1"}));
    }

    void titleBand() {
        const PlacedBand& title = m_bands[0];
        QCOMPARE(title.height, 40.5);
        const QRectF complex = onPage(title, element(title, "complexText_im").rect);
        QVERIFY2(near(at(complex.center().x(), complex.center().y()), printfixture::libraryColour(459)),
                 qPrintable(describe(at(complex.center().x(), complex.center().y()))));
        const QRectF logoText = onPage(title, element(title, "logoText_im").rect);
        QVERIFY(near(at(logoText.center().x(), logoText.center().y()), printfixture::libraryColour(458)));
#ifdef ZELAN_HAVE_DESIGN
        const QRectF logo = onPage(title, element(title, "QRImage1").rect);
        QVERIFY(count(logo, [](QColor c) { return !near(c, Qt::white, 10); }) > 50);
#endif
        QVERIFY(near(at(195, title.top + 35), Qt::white));
    }

    // Each detail band shows its aya's translation picture, centred in its framed box, on the
    // band's ground, with a broken line along its top; the child band under it the three
    // captions and the red sura and aya numbers.
    void detailAndChildBands() {
        for (int aya = 1; aya <= 3; ++aya) {
            const PlacedBand& detail = m_bands[size_t(2 * aya - 1)];
            const PlacedBand& child = m_bands[size_t(2 * aya)];
            // 40 pixels of picture: the band is 60 pixels high.
            QCOMPARE(detail.height, zelan::report::pixelsToMm(60));
            const QRectF box = onPage(detail, element(detail, "QRImage2").rect);
            const QColor centre = at(box.center().x(), box.center().y());
            QVERIFY2(near(centre, printfixture::translationColour(78, aya)), qPrintable(describe(centre)));
            QVERIFY(
                near(at(box.left() + 2, box.center().y()), QColor(254, 255, 241), 4)); // beside the picture
            QVERIFY(near(at(195, detail.top + 5), QColor(254, 255, 241), 4));
            // The top line is broken: dark dashes with gaps of the ground between them.
            int dark = 0;
            for (double y = detail.top - 0.3; y <= detail.top + 0.5; y += 0.5 / kDotsPerMm)
                dark = std::max(dark, count(QRectF(12, y, 186, 0.5 / kDotsPerMm),
                                            [](QColor c) { return c.value() < 140; }));
            const int all = int(186 * kDotsPerMm);
            QVERIFY2(dark > all / 4 && dark < all, qPrintable(QStringLiteral("%1 of %2").arg(dark).arg(all)));

            const QRectF caption = onPage(child, element(child, "soraNum_im").rect);
            QVERIFY(near(at(caption.center().x(), caption.center().y()), printfixture::libraryColour(460)));
            for (const char* number : {"QRDBText1", "ayaNum_qrt"}) {
                const QRectF cell = onPage(child, element(child, number).rect);
                QVERIFY2(count(cell,
                               [](QColor c) { return c.red() > 180 && c.green() < 90 && c.blue() < 90; }) > 5,
                         number);
            }
            QCOMPARE(element(child, "ayaNum_qrt").text, QString::number(aya));
        }
    }

    void footer() {
        const PlacedBand& footer = m_bands.back();
        QCOMPARE(footer.top + footer.height, 287.0);
        QVERIFY(near(at(150, footer.top + 5), QColor(254, 255, 241), 4));
        // The page number in teal at the middle, the date at the left edge.
        QVERIFY(count(QRectF(95, footer.top + 1, 20, 8),
                      [](QColor c) { return c.green() > c.red() + 40 && c.blue() > c.red() + 40; }) > 5);
        QVERIFY(count(QRectF(11, footer.top + 1, 40, 8), [](QColor c) { return c.value() < 100; }) > 10);
        QVERIFY(!element(footer, "QRSysData2").text.isEmpty());
    }
};

ZELAN_TEST_CLASS(TestPrintReport)
#include "tst_printreport.moc"
