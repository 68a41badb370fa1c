#pragma once

#include "report.h"

#include <QObject>

class QWidget;

// The report that prints the translation of a run of ayas: a title, then for every key of the
// print data module's transTemp_tb the aya's translation picture (DetailBand1) and under it
// its sura and aya numbers (ChildBand1), and a footer with the page number and the date on
// every page. Created at program start and kept until the program ends; reused for every
// print.
class Ttrans_rep_fm : public QObject {
    Q_OBJECT

public:
    explicit Ttrans_rep_fm(QObject* owner = nullptr);
    ~Ttrans_rep_fm() override;

    // Prepares the report over the data module's tables and shows it in the modal print
    // preview (through the program's modal seam); returns when the preview has closed.
    // Table engine errors from the handlers pass through to the caller.
    void preview(QWidget* parent = nullptr);

    // Handlers.
    void QuickRep1BeforePrint();
    void DetailBand1BeforePrint();
    void ayaNum_qrtPrint(QString& value);
    void QuickRep1AfterPreview();
    void loadReportPictures();

    zelan::report::Report QuickRep1;
    zelan::report::Band* TitleBand1;
    zelan::report::Band* DetailBand1;
    zelan::report::Band* ChildBand1;
    zelan::report::Band* PageFooterBand1;
    zelan::report::Element* complexText_im;
    zelan::report::Element* QRImage1;
    zelan::report::Element* logoText_im;
    zelan::report::Element* QRImage2;
    zelan::report::Element* russianTrans_im;
    zelan::report::Element* soraNum_im;
    zelan::report::Element* QRDBText1;
    zelan::report::Element* ayaNum_im;
    zelan::report::Element* ayaNum_qrt;
    zelan::report::Element* QRSysData1;
    zelan::report::Element* QRSysData2;
};

// The translation report, created at program start; null before and after.
extern Ttrans_rep_fm* trans_rep_fm;
