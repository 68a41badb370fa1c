#include "report.h"
#include "reportpreview.h"
#include "testmain.h"

#include <QPrintPreviewDialog>
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
};

ZELAN_TEST_CLASS(TestReportPreview)
#include "tst_reportpreview.moc"
