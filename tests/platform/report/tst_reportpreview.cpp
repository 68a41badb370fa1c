#include "report.h"
#include "reportpreview.h"
#include "testmain.h"

#include <QFile>
#include <QPageLayout>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QPrintPreviewWidget>
#include <QTest>

using namespace zelan::report;

class TestReportPreview : public QObject {
    Q_OBJECT

private slots:
    // The preview shows the prepared pages at the report's zoom; the report's handlers run
    // once before and once after it.
    void previewShowsPagesAtZoom() {
        Report report;
        int records = 0;
        report.records = {[&] { records = 0; }, [&] { ++records; }, [&] { return records >= 30; }};
        report.addBand(BandType::Detail, QStringLiteral("detail")).height = 25;
        report.addBand(BandType::PageFooter, QStringLiteral("footer")).height = 10;
        int before = 0, after = 0;
        report.beforePrint = [&] {
            ++before;
            report.setZoom(100);
        };
        report.afterPreview = [&] { ++after; };
        int shownPages = 0;
        int handlersBefore = -1;
        double zoom = 0;
        const int result = preview(report, [&](QDialog* dialog) {
            auto* window = qobject_cast<QPrintPreviewDialog*>(dialog);
            if (!window)
                return -1;
            handlersBefore = before * 10 + after;
            window->show();
            auto* view = window->findChild<QPrintPreviewWidget*>();
            shownPages = view ? view->pageCount() : 0;
            zoom = view && view->zoomMode() == QPrintPreviewWidget::CustomZoom ? view->zoomFactor() : 0;
            window->close();
            return 7;
        });
        QCOMPARE(result, 7);
        QCOMPARE(handlersBefore, 10);            // before-print once, after-preview not yet
        QCOMPARE(int(report.pages().size()), 3); // 262 mm / 25 mm: 10 details a page
        QCOMPARE(shownPages, 3);
        QCOMPARE(zoom, 1.0);
        QCOMPARE(after, 1);
    }

    // Printing from the preview follows the print dialog and the page set-up: the page range,
    // the copies (drawn here, since a PDF printer makes none itself) and the paper, for which
    // the report is laid out again. 30 details of 25 mm: 10 a page on A4 portrait, 7 on A4
    // landscape and on A5.
    void printFollowsThePrinter_data() {
        QTest::addColumn<int>("paper"); // a QPageSize::PageSizeId
        QTest::addColumn<bool>("landscape");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<int>("copies");
        QTest::addColumn<int>("laidOut");
        QTest::addColumn<int>("printed");
        QTest::addRow("A4, all") << int(QPageSize::A4) << false << 0 << 0 << 1 << 3 << 3;
        QTest::addRow("A4, pages 2 to 3") << int(QPageSize::A4) << false << 2 << 3 << 1 << 3 << 2;
        QTest::addRow("A4, page 2, twice") << int(QPageSize::A4) << false << 2 << 2 << 2 << 3 << 2;
        QTest::addRow("A4, pages 2 to 9") << int(QPageSize::A4) << false << 2 << 9 << 1 << 3 << 2;
        QTest::addRow("A4 landscape") << int(QPageSize::A4) << true << 0 << 0 << 1 << 5 << 5;
        QTest::addRow("A5, pages 4 to 5") << int(QPageSize::A5) << false << 4 << 5 << 1 << 5 << 2;
    }
    void printFollowsThePrinter() {
        QFETCH(int, paper);
        QFETCH(bool, landscape);
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(int, copies);
        QFETCH(int, laidOut);
        QFETCH(int, printed);
        Report report;
        int records = 0;
        report.records = {[&] { records = 0; }, [&] { ++records; }, [&] { return records >= 30; }};
        report.addBand(BandType::Detail, QStringLiteral("detail")).height = 25;
        report.addBand(BandType::PageFooter, QStringLiteral("footer")).height = 10;
        report.prepare();

        QTemporaryDir dir;
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath(QStringLiteral("printed.pdf")));
        printer.setFullPage(true);
        printer.setPageLayout(QPageLayout(QPageSize(QPageSize::PageSizeId(paper)),
                                          landscape ? QPageLayout::Landscape : QPageLayout::Portrait, QMarginsF()));
        if (from > 0) {
            printer.setPrintRange(QPrinter::PageRange);
            printer.setFromTo(from, to);
        }
        printer.setCopyCount(copies);
        QVERIFY(printOn(report, printer));
        QCOMPARE(int(report.pages().size()), laidOut);
        // The printer keeps its named paper.
        QCOMPARE(printer.pageLayout().pageSize().id(), QPageSize::PageSizeId(paper));

        QFile file(printer.outputFileName());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString pdf = QString::fromLatin1(file.readAll());
        QCOMPARE(pdf.count(QRegularExpression(QStringLiteral("/Type\\s*/Page\\b"))), printed);
    }
};

ZELAN_TEST_CLASS(TestReportPreview)
#include "tst_reportpreview.moc"
