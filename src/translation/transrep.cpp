#include "transrep.h"

#include "interfacelanguage.h"
#include "messages.h"
#include "picturedecoding.h"
#include "printrun.h"
#include "reportpreview.h"
#include "transdm.h"

#include <QWidget>

Ttrans_rep_fm* trans_rep_fm = nullptr;

using zelan::report::Band;
using zelan::report::BandType;
using zelan::report::Element;
using zelan::report::LineStyle;
using zelan::report::Sides;

namespace {

const QColor kBandColour(254, 255, 241);
constexpr double kDetailHeight = 15.6;  // mm, before a picture is loaded
constexpr double kPictureHeight = 13.0; // mm, QRImage2 before a picture is loaded

QFont face(const char* family, double points, bool bold = false) {
    QFont font(QString::fromLatin1(family));
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

Element image(const char* name, double left, double top) {
    Element e;
    e.name = QString::fromLatin1(name);
    e.kind = Element::Kind::Image;
    e.rect = QRectF(left, top, 0, 0);
    e.autoSize = true;
    return e;
}

Element text(const char* name, Element::Kind kind, const QRectF& rect, QFont font, QColor colour,
             Qt::Alignment alignment) {
    Element e;
    e.name = QString::fromLatin1(name);
    e.kind = kind;
    e.rect = rect;
    e.font = std::move(font);
    e.colour = colour;
    e.alignment = alignment;
    return e;
}

// The field of the current record of the data module's translation table, as text.
QString translationField(const char* field) {
    if (!trans_dm_fm || !trans_dm_fm->Translations_tb->isOpen())
        return {};
    return trans_dm_fm->Translations_tb->fieldByName(QString::fromLatin1(field)).asString();
}

// A JPEG picture of the picture library into a report image, as loadPicture does for an image
// control: a missing id (or no library) empties the image, bytes that do not decode leave it
// as it was.
void loadReportPicture(const zelan::ui::PictureLibrary& library, Element* target, int id) {
    const std::optional<QByteArray> bytes = library ? library->rcData(id) : std::nullopt;
    if (!bytes) {
        target->setPicture(QImage());
        return;
    }
    if (std::optional<QImage> picture = zelan::ui::decodeJpeg(*bytes))
        target->setPicture(std::move(*picture));
}

} // namespace

Ttrans_rep_fm::Ttrans_rep_fm(QObject* owner) : QObject(owner) {
    setObjectName(QStringLiteral("trans_rep_fm"));
    zelan::report::Report& r = QuickRep1;
    r.page.paper = QSizeF(210, 297);
    r.page.margins = QMarginsF(10, 15, 10, 10);
    r.page.frameWidth = zelan::report::pixelsToMm(2);
    r.page.frameColour = QColor(0, 100, 60);
    r.font = zelan::report::fontFromPixels(QFont(QStringLiteral("Arial")), 16);
    r.printIfEmpty = true;
    r.footerOnLastPage = true;
    // The report runs over the keys in transTemp_tb; the translation table follows them as
    // their detail while the preview is open.
    r.records.first = [] {
        if (trans_dm_fm)
            trans_dm_fm->transTemp_tb->first();
    };
    r.records.next = [] {
        if (trans_dm_fm)
            trans_dm_fm->transTemp_tb->next();
    };
    r.records.eof = [] {
        return !trans_dm_fm || !trans_dm_fm->transTemp_tb->isOpen() || trans_dm_fm->transTemp_tb->eof();
    };
    r.beforePrint = [this] { QuickRep1BeforePrint(); };
    r.afterPreview = [this] { QuickRep1AfterPreview(); };

    TitleBand1 = &r.addBand(BandType::Title, QStringLiteral("TitleBand1"));
    TitleBand1->height = 40.5;
    TitleBand1->colour = Qt::white;
    for (Element e : {image("complexText_im", 2.9, 3.2), image("QRImage1", 77.8, 3.7),
                      image("logoText_im", 113.8, 2.9)}) {
        e.center = true;
        e.stretch = true;
        TitleBand1->addElement(std::move(e));
    }
    complexText_im = TitleBand1->element(QStringLiteral("complexText_im"));
    QRImage1 = TitleBand1->element(QStringLiteral("QRImage1"));
    logoText_im = TitleBand1->element(QStringLiteral("logoText_im"));
    // The logo is part of the report's design, not of the picture library.
    QRImage1->autoSize = false;
    QRImage1->rect.setSize(QSizeF(28.6, 28.8));
    QRImage1->setPicture(QImage(QStringLiteral(":/design/report_logo.png")));

    DetailBand1 = &r.addBand(BandType::Detail, QStringLiteral("DetailBand1"));
    DetailBand1->height = kDetailHeight;
    DetailBand1->colour = kBandColour;
    DetailBand1->topLine = LineStyle::DashDotDot;
    DetailBand1->beforePrint = [this](Band&) { DetailBand1BeforePrint(); };
    Element picture = image("QRImage2", 5.6, 1.3);
    picture.autoSize = false;
    picture.rect.setSize(QSizeF(175.9, kPictureHeight));
    picture.center = true;
    picture.frame = Sides::all();
    QRImage2 = DetailBand1->addElement(std::move(picture));

    ChildBand1 = &r.addBand(BandType::Child, QStringLiteral("ChildBand1"));
    ChildBand1->height = 15.9;
    ChildBand1->colour = kBandColour;
    const QFont numbers = face("Microsoft Sans Serif", 10);
    for (Element e : {image("russianTrans_im", 145.8, 0.8), image("soraNum_im", 114.3, 1.6),
                      image("ayaNum_im", 68.0, 1.3)}) {
        e.frame = Sides::all();
        ChildBand1->addElement(std::move(e));
    }
    Element sora =
        text("QRDBText1", Element::Kind::Text, QRectF(96.8, 2.6, 15, 7), numbers, Qt::red, Qt::AlignCenter);
    sora.field = [] { return translationField("SoraNum"); };
    ChildBand1->addElement(std::move(sora));
    Element aya =
        text("ayaNum_qrt", Element::Kind::Text, QRectF(52.4, 2.4, 15, 7), numbers, Qt::red, Qt::AlignCenter);
    aya.field = [] { return translationField("AyaNum"); };
    aya.onPrint = [this](QString& value) { ayaNum_qrtPrint(value); };
    ChildBand1->addElement(std::move(aya));
    russianTrans_im = ChildBand1->element(QStringLiteral("russianTrans_im"));
    soraNum_im = ChildBand1->element(QStringLiteral("soraNum_im"));
    ayaNum_im = ChildBand1->element(QStringLiteral("ayaNum_im"));
    QRDBText1 = ChildBand1->element(QStringLiteral("QRDBText1"));
    ayaNum_qrt = ChildBand1->element(QStringLiteral("ayaNum_qrt"));

    PageFooterBand1 = &r.addBand(BandType::PageFooter, QStringLiteral("PageFooterBand1"));
    PageFooterBand1->height = 10.1;
    PageFooterBand1->colour = kBandColour;
    PageFooterBand1->topLine = LineStyle::Solid;
    Element page = text("QRSysData1", Element::Kind::PageNumber, QRectF(0, 0.5, 190, 9),
                        face("Traditional Arabic", 14, true), QColor(0, 128, 128), Qt::AlignCenter);
    page.direction = Qt::RightToLeft;
    PageFooterBand1->addElement(std::move(page));
    PageFooterBand1->addElement(text("QRSysData2", Element::Kind::Date, QRectF(1, 0.5, 60, 9),
                                     face("Traditional Arabic", 12), Qt::black,
                                     Qt::AlignLeft | Qt::AlignVCenter));
    QRSysData1 = PageFooterBand1->element(QStringLiteral("QRSysData1"));
    QRSysData2 = PageFooterBand1->element(QStringLiteral("QRSysData2"));
}

Ttrans_rep_fm::~Ttrans_rep_fm() = default;

void Ttrans_rep_fm::preview(QWidget* parent) {
    zelan::report::preview(
        QuickRep1, [](QDialog* dialog) { return zelan::ui::showModal(dialog); }, parent);
}

void Ttrans_rep_fm::loadReportPictures() {
    loadReportPicture(pictureLibrary, logoText_im, 458);
    loadReportPicture(pictureLibrary, complexText_im, 459);
    loadReportPicture(pictureLibrary, soraNum_im, 460);
    loadReportPicture(pictureLibrary, ayaNum_im, 461);
    loadReportPicture(pictureLibrary, russianTrans_im, 462);
}

void Ttrans_rep_fm::QuickRep1BeforePrint() {
    loadReportPictures();
    QuickRep1.setZoom(100);
}

void Ttrans_rep_fm::DetailBand1BeforePrint() {
    // A key without a translation record, or a picture that does not decode, prints an empty
    // box: the picture of the record before must not stand above another aya's numbers.
    const auto empty = [this] {
        QRImage2->setPicture(QImage());
        QRImage2->rect.setHeight(kPictureHeight);
        DetailBand1->height = kDetailHeight;
    };
    if (!trans_dm_fm || !trans_dm_fm->Translations_tb->isOpen() || trans_dm_fm->Translations_tb->eof()) {
        empty();
        return;
    }
    const QByteArray bytes =
        trans_dm_fm->Translations_tb->fieldByName(QStringLiteral("AyaTransPick")).asBytes();
    std::optional<QImage> picture = zelan::ui::decodeJpeg(bytes);
    if (!picture) {
        empty();
        return;
    }
    // Heights in the screen pixels of the picture: the image 10 above it, the band 20.
    const int height = picture->height();
    QRImage2->setPicture(std::move(*picture));
    QRImage2->rect.setHeight(zelan::report::pixelsToMm(height + 10));
    DetailBand1->height = zelan::report::pixelsToMm(height + 20);
}

void Ttrans_rep_fm::ayaNum_qrtPrint(QString& value) {
    value = zelan::translation::ayaCellText(value);
}

void Ttrans_rep_fm::QuickRep1AfterPreview() {
    QuickRep1.setZoom(100);
}
