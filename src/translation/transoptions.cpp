#include "transoptions.h"

#include "ayacount.h"
#include "components.h"
#include "guardedcall.h"
#include "imagebutton.h"
#include "imagecontrol.h"
#include "interfacelanguage.h"
#include "messages.h"
#include "picturelist.h"
#include "printrun.h"
#include "transdm.h"
#include "transrep.h"
#include "updown.h"

#include <QEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPainter>
#include <QScopeGuard>
#include <QScreen>
#include <stdexcept>
#include <vector>

Ttrans_options_frm* trans_options_frm = nullptr;

namespace {

using zelan::ui::ImageButton;
using zelan::ui::ImageControl;
using zelan::ui::UpDown;

constexpr int kListTop = 100;
constexpr int kPanelTop = 101;

ImageControl* image(QWidget* parent, const char* name, int left, int top) {
    auto* control = new ImageControl(parent);
    control->setObjectName(QString::fromLatin1(name));
    control->move(left, top);
    return control;
}

PictureList* soraList(QWidget* parent, const char* name, int left) {
    auto* list = new PictureList(parent, 22);
    list->setObjectName(QString::fromLatin1(name));
    list->setGeometry(left, kListTop, 142, 28);
    list->setLayoutDirection(Qt::LeftToRight);
    list->setMaxVisibleItems(12);
    QPalette palette = list->palette();
    palette.setColor(QPalette::Base, QColor(112, 171, 115));
    palette.setColor(QPalette::Button, QColor(112, 171, 115));
    list->setPalette(palette);
    return list;
}

// An aya setting: a lowered panel holding a three-character box and its spinner.
QFrame* ayaPanel(QWidget* parent, const char* name, int left, QLineEdit*& box, const char* boxName,
                 UpDown*& spinner, const char* spinnerName) {
    auto* panel = new QFrame(parent);
    panel->setObjectName(QString::fromLatin1(name));
    panel->setGeometry(left, kPanelTop, 49, 26);
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Sunken);
    panel->setLineWidth(2);
    panel->setAutoFillBackground(true);
    QPalette palette = panel->palette();
    palette.setColor(QPalette::Window, QColor(96, 123, 52));
    panel->setPalette(palette);
    panel->setLayoutDirection(Qt::LeftToRight);
    box = new QLineEdit(panel);
    box->setObjectName(QString::fromLatin1(boxName));
    box->setGeometry(3, 3, 29, 20);
    box->setFrame(false);
    box->setMaxLength(3);
    box->setAlignment(Qt::AlignCenter);
    box->setText(QStringLiteral("1"));
    spinner = new UpDown(panel);
    spinner->setObjectName(QString::fromLatin1(spinnerName));
    spinner->setGeometry(32, 3, 14, 20);
    spinner->setRange(1, 100);
    spinner->setPosition(1);
    return panel;
}

QString libraryString(int id) {
    return pictureLibrary ? pictureLibrary->string(id).value_or(QString()) : QString();
}

} // namespace

Ttrans_options_frm::Ttrans_options_frm(QWidget* owner) : QDialog(owner) {
    buildDesign();
    m_okButton = new ImageButton(okButton_im, &pictureLibrary, {467, 475, 476});
    m_cancelButton = new ImageButton(cancelButton_im, &pictureLibrary, {468, 477, 478});
    startSora_cb->setDrawItem(
        [this](QPainter& p, int index, const QRect& rect) { startSora_cbDrawItem(p, index, rect); });
    endSora_cb->setDrawItem(
        [this](QPainter& p, int index, const QRect& rect) { endSora_cbDrawItem(p, index, rect); });
    // The lists and spinners call their handlers through a guard (see guardedcall.h).
    using zelan::ui::guarded;
    connect(startSora_cb, &QComboBox::activated, this, guarded(this, &Ttrans_options_frm::startSora_cbChange));
    connect(endSora_cb, &QComboBox::activated, this, guarded(this, &Ttrans_options_frm::endSora_cbChange));
    connect(startAya_ud, &UpDown::clicked, this, guarded(this, &Ttrans_options_frm::startAya_udClick));
    connect(endAya_ud, &UpDown::clicked, this, guarded(this, &Ttrans_options_frm::endAya_udClick));
    connect(okButton_im, &ImageControl::clicked, this, &Ttrans_options_frm::okButton_imClick);
    connect(cancelButton_im, &ImageControl::clicked, this, &Ttrans_options_frm::cancelButton_imClick);
    FormCreate();
}

Ttrans_options_frm::~Ttrans_options_frm() {
    // The list pictures go before the lists that draw them.
    for (QImage& picture : printSoraPictures)
        picture = QImage();
}

void Ttrans_options_frm::buildDesign() {
    setObjectName(QStringLiteral("trans_options_frm"));
    setFixedSize(713, 271);
    setLayoutDirection(Qt::RightToLeft);
    QFont font(QStringLiteral("Times New Roman"));
    font.setPixelSize(13);
    setFont(font);

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(rect());
    Panel1->setFrameShape(QFrame::Panel);
    Panel1->setFrameShadow(QFrame::Sunken);
    Panel1->setLineWidth(3);
    Panel1->setAutoFillBackground(true);
    QPalette palette = Panel1->palette();
    palette.setColor(QPalette::Window, QColor(112, 171, 115));
    Panel1->setPalette(palette);

    printOptionsTitle_im = image(Panel1, "printOptionsTitle_im", 266, 14);
    printOptions_im = image(Panel1, "printOptions_im", 17, 54);
    // The design places are those of the Russian interface; FormShow moves them by language.
    startSora_cb = soraList(Panel1, "startSora_cb", 432);
    endSora_cb = soraList(Panel1, "endSora_cb", 98);
    startAya_pn =
        ayaPanel(Panel1, "startAya_pn", 290, startAya_ed, "startAya_ed", startAya_ud, "startAya_ud");
    endAya_pn = ayaPanel(Panel1, "endAya_pn", 626, endAya_ed, "endAya_ed", endAya_ud, "endAya_ud");
    okButton_im = image(Panel1, "okButton_im", 538, 165);
    cancelButton_im = image(Panel1, "cancelButton_im", 65, 169);
}

int Ttrans_options_frm::soraOfItem(int index) {
    return index <= 0 ? 1 : 77 + index;
}

void Ttrans_options_frm::FormCreate() {
    startSora_cb->clear();
    endSora_cb->clear();
    for (int k = 0; k < 38; ++k) {
        ImageControl holder;
        zelan::ui::loadPicture(pictureLibrary, &holder, k == 0 ? 333 : 409 + k);
        printSoraPictures[size_t(k)] = holder.picture();
        startSora_cb->addItem(QString());
        endSora_cb->addItem(QString());
    }
    loadOptionsPictures();
    startSora_cb->setCurrentIndex(0);
    endSora_cb->setCurrentIndex(0);
    startSora = 1;
    endSora = 1;
}

void Ttrans_options_frm::loadOptionsPictures() {
    zelan::ui::loadPicture(pictureLibrary, printOptionsTitle_im, 455);
    zelan::ui::loadPicture(pictureLibrary, printOptions_im, 454);
    zelan::ui::loadButtonPicture(pictureLibrary, okButton_im, 467);
    zelan::ui::loadButtonPicture(pictureLibrary, cancelButton_im, 468);
    zelan::ui::nameControl(pictureLibrary, okButton_im, 156);
    zelan::ui::nameControl(pictureLibrary, cancelButton_im, 193);
}

void Ttrans_options_frm::FormShow() {
    struct Place {
        QWidget* control;
        int arabic, russian;
    };
    // In the Russian interface, read from left to right, each aya box follows its own sura
    // list: the first sura and its aya on the left, the last sura and its aya on the right.
    // (The design's places paired the first aya box with the last sura's list, and a range
    // asked for as 78:5 to 80:10 printed as 78:10 to 80:5.)
    const Place places[] = {
        {startSora_cb, 453, 98}, {startAya_pn, 362, 290}, {endSora_cb, 113, 432}, {endAya_pn, 23, 626}};
    if (languageCode != zelan::ui::kArabic && languageCode != zelan::ui::kRussian)
        return;
    for (const Place& place : places)
        place.control->move(languageCode == zelan::ui::kArabic ? place.arabic : place.russian,
                            place.control->y());
}

void Ttrans_options_frm::FormActivate() {
    const QString charset = libraryString(133);
    bool ok = false;
    charset.trimmed().toInt(&ok);
    if (!ok) {
        throw std::runtime_error(
            QStringLiteral("'%1' is not a valid integer value (string 133 of the picture library)")
                .arg(charset)
                .toStdString());
    }
    // Qt chooses the script of each text itself, so the character set only has to be a
    // number; the face is what changes.
    QFont font = this->font();
    font.setFamily(libraryString(132));
    setFont(font);
}

void Ttrans_options_frm::showEvent(QShowEvent* event) {
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
    FormShow();
    QDialog::showEvent(event);
    FormActivate();
}

void Ttrans_options_frm::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        FormActivate();
}

namespace {
void soraChanged(PictureList* list, qint32& sora, zelan::ui::UpDown* spinner, QLineEdit* box) {
    sora = Ttrans_options_frm::soraOfItem(list->currentIndex());
    spinner->setRange(1, zelan::data::ayaCount(sora));
    spinner->setPosition(1);
    box->setText(QString::number(spinner->position()));
}

void spinnerClicked(qint32 sora, zelan::ui::UpDown* spinner, QLineEdit* box) {
    if (spinner->position() > zelan::data::ayaCount(sora))
        spinner->setPosition(zelan::data::ayaCount(sora));
    box->setText(QString::number(spinner->position()));
}
} // namespace

void Ttrans_options_frm::startSora_cbChange() {
    soraChanged(startSora_cb, startSora, startAya_ud, startAya_ed);
}
void Ttrans_options_frm::endSora_cbChange() {
    soraChanged(endSora_cb, endSora, endAya_ud, endAya_ed);
}
void Ttrans_options_frm::startAya_udClick() {
    spinnerClicked(startSora, startAya_ud, startAya_ed);
}
void Ttrans_options_frm::endAya_udClick() {
    spinnerClicked(endSora, endAya_ud, endAya_ed);
}

void Ttrans_options_frm::startSora_cbDrawItem(QPainter& painter, int index, const QRect& rect) const {
    if (index >= 0 && size_t(index) < printSoraPictures.size())
        painter.drawImage(rect.left(), rect.top() + 1, printSoraPictures[size_t(index)]);
}

void Ttrans_options_frm::endSora_cbDrawItem(QPainter& painter, int index, const QRect& rect) const {
    startSora_cbDrawItem(painter, index, rect);
}

void Ttrans_options_frm::okButton_imClick() {
    using zelan::translation::AyaKey;
    if (!trans_dm_fm || !trans_rep_fm)
        return;
    const qint32 s = startSora;
    const qint32 e = endSora;
    // Both boxes are read before anything changes, so that bad text prints nothing.
    QString error;
    const std::optional<int> startAya = zelan::translation::ayaNumber(startAya_ed->text(), &error);
    const std::optional<int> endAya =
        startAya ? zelan::translation::ayaNumber(endAya_ed->text(), &error) : std::nullopt;
    if (!startAya || !endAya) {
        zelan::ui::showMessage(error);
        return;
    }
    const zelan::translation::PrintRun run = zelan::translation::printRun(s, *startAya, e, *endAya);

    zelan::tables::Table& translations = *trans_dm_fm->Translations_tb;
    zelan::tables::Table& keys = *trans_dm_fm->transTemp_tb;
    translations.setFilter(zelan::data::filters::printRange(s, e));
    translations.refresh();

    // The ayas are chosen by their keys, not by counting records: the table holds the opening
    // formula (aya 0) of the suras after sura 1, which a count would mistake for ayas.
    std::vector<AyaKey> chosen;
    for (translations.first(); !translations.eof(); translations.next()) {
        const AyaKey key{translations.fieldByName(QStringLiteral("SoraNum")).asInteger(),
                         translations.fieldByName(QStringLiteral("AyaNum")).asInteger()};
        if (run.contains(key))
            chosen.push_back(key);
    }

    if (keys.isOpen())
        keys.close();
    keys.emptyTable();
    keys.open();
    for (const AyaKey& key : chosen) {
        keys.append();
        keys.setFieldValue(QStringLiteral("soranum"), qint64(key.sora));
        keys.setFieldValue(QStringLiteral("ayanum"), qint64(key.aya));
        keys.post();
    }

    translations.setMasterSource(&trans_dm_fm->transTemp_sr);
    translations.setMasterFields(QStringLiteral("soranum;ayanum"));
    // The link is removed when the preview closes, and also when the report fails, so that
    // the translation table never stays tied to the keys.
    const auto unlink = qScopeGuard([&translations] {
        translations.setMasterSource(nullptr);
        translations.setMasterFields(QString());
    });
    keys.refresh();
    translations.refresh();
    trans_rep_fm->preview(this);
}

void Ttrans_options_frm::cancelButton_imClick() {
    close();
}
