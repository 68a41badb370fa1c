#include "reportpreview.h"

#include "report.h"

#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>

namespace zelan::report {

namespace {

// The preview window opens at the report's zoom. The dialog picks its own zoom when it is
// first shown, so the report's zoom is set again after that.
class PreviewDialog : public QPrintPreviewDialog {
public:
    PreviewDialog(QPrinter* printer, QWidget* parent, int zoom)
        : QPrintPreviewDialog(printer, parent), m_zoom(zoom) {
        setObjectName(QStringLiteral("reportPreview"));
        applyZoom();
    }

protected:
    void showEvent(QShowEvent* event) override {
        QPrintPreviewDialog::showEvent(event);
        applyZoom();
    }

private:
    void applyZoom() {
        if (auto* view = findChild<QPrintPreviewWidget*>()) {
            view->setZoomMode(QPrintPreviewWidget::CustomZoom);
            view->setZoomFactor(m_zoom / 100.0);
        }
    }

    int m_zoom;
};

} // namespace

bool printOn(Report& report, QPrinter& printer) {
    // The pages are laid out for the printer's paper: a page set-up of another size or
    // orientation lays the report out again (its handlers run again).
    const QSizeF paper = printer.pageLayout().fullRect(QPageLayout::Millimeter).size();
    if (!paper.isEmpty() && !Report::samePaper(paper, report.page.paper)) {
        report.page.paper = paper;
        report.prepare();
    }
    Report::PrintSelection selection;
    if (printer.printRange() == QPrinter::PageRange) {
        selection.from = printer.fromPage();
        selection.to = printer.toPage();
    }
    // Most print systems make the copies themselves; where one does not, each set is drawn.
    selection.copies = printer.supportsMultipleCopies() ? 1 : printer.copyCount();
    return report.print(printer, selection);
}

int preview(Report& report, const ModalRunner& runModal, QWidget* parent) {
    report.prepare();
    QPrinter printer(QPrinter::HighResolution);
    printer.setFullPage(true);
    printer.setPageSize(QPageSize(report.page.paper, QPageSize::Millimeter));
    printer.setPageOrientation(report.page.paper.width() > report.page.paper.height()
                                   ? QPageLayout::Landscape
                                   : QPageLayout::Portrait);
    PreviewDialog dialog(&printer, parent, report.zoom());
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [&report](QPrinter* target) { printOn(report, *target); });
    const int result = runModal ? runModal(&dialog) : dialog.exec();
    if (report.afterPreview)
        report.afterPreview();
    return result;
}

} // namespace zelan::report
