// The main window's design: every control with its place, size, font and colours, and the
// places that change with the interface language.

#include "ruvo.h"

#include "imagecontrol.h"
#include "picturelist.h"
#include "picturelibrary.h"
#include "updown.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QScrollArea>
#include <QSlider>
#include <QTimer>

namespace {

using zelan::ui::ImageControl;
using zelan::ui::UpDown;

QFont face(const char* family, int pixelSize, bool bold) {
    QFont font(QString::fromLatin1(family));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

ImageControl* image(QWidget* parent, const char* name, int left, int top) {
    auto* control = new ImageControl(parent);
    control->setObjectName(QString::fromLatin1(name));
    control->move(left, top);
    return control;
}

ImageControl* designedPicture(QWidget* parent, const char* name, int left, int top, const char* file) {
    ImageControl* control = image(parent, name, left, top);
    control->setPicture(QImage(QStringLiteral(":/design/%1").arg(QString::fromLatin1(file))));
    return control;
}

QLineEdit* edit(QWidget* parent, const char* name, const QRect& geometry, int maxLength) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setGeometry(geometry);
    if (maxLength > 0)
        box->setMaxLength(maxLength);
    return box;
}

// A range setting: a small raised panel holding a three-character box and its spinner.
QFrame* settingPanel(QWidget* parent, const char* name, QLineEdit*& box, const char* boxName, UpDown*& spinner,
                     const char* spinnerName) {
    auto* panel = new QFrame(parent);
    panel->setObjectName(QString::fromLatin1(name));
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Raised);
    panel->resize(46, 26);
    box = edit(panel, boxName, QRect(3, 3, 26, 20), 3);
    box->setFont(face("Tahoma", 12, true));
    box->setAlignment(Qt::AlignCenter);
    spinner = new UpDown(panel);
    spinner->setObjectName(QString::fromLatin1(spinnerName));
    spinner->setGeometry(29, 3, 14, 20);
    return panel;
}

// An owner-drawn list of pictures: no text of its own, fixed item height.
PictureList* pictureList(QWidget* parent, const char* name, const QRect& geometry) {
    auto* list = new PictureList(parent, 22);
    list->setObjectName(QString::fromLatin1(name));
    list->setGeometry(geometry);
    list->setLayoutDirection(Qt::LeftToRight);
    QPalette palette = list->palette();
    palette.setColor(QPalette::Base, QColor(110, 175, 109));
    palette.setColor(QPalette::Button, QColor(110, 175, 109));
    list->setPalette(palette);
    return list;
}

QRadioButton* radio(QWidget* parent, const char* name) {
    auto* button = new QRadioButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->resize(17, 17);
    return button;
}

} // namespace

void Truvo_frm::buildDesign() {
    setObjectName(QStringLiteral("ruvo_frm"));
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setFixedSize(885, 665);

    main_services_im = designedPicture(this, "main_services_im", 0, 0, "main_services.png");
    main_services_im->setStretch(true);
    main_services_im->setGeometry(0, 0, 885, 665);

    currTime_lb = new QLabel(this);
    currTime_lb->setObjectName(QStringLiteral("currTime_lb"));
    currTime_lb->setGeometry(33, 16, 80, 22);
    currTime_lb->setFont(face("Times New Roman", 19, true));
    currTime_lb->setAlignment(Qt::AlignCenter);
    currTime_lb->setStyleSheet(QStringLiteral("color: #ffff00; background: transparent;"));
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(3000);
    delayAya_tm = new QTimer(this);
    delayAya_tm->setObjectName(QStringLiteral("delayAya_tm"));
    delayAya_tm->setInterval(1);
    delayAya_tm->setTimerType(Qt::PreciseTimer);
    rangePause_tm = new QTimer(this);
    rangePause_tm->setObjectName(QStringLiteral("rangePause_tm"));
    rangePause_tm->setSingleShot(true);
    // Precise, so a pause of up to a minute keeps its length to the millisecond.
    rangePause_tm->setTimerType(Qt::PreciseTimer);

    soraPich_im = image(this, "soraPich_im", 27, 102);
    partPich_im = image(this, "partPich_im", 736, 102);
    color_control_im = image(this, "color_control_im", 724, 152);
    dumy_im = image(this, "dumy_im", 15, 152);
    telawa_control_im = image(this, "telawa_control_im", 723, 245);
    targama_control_im = image(this, "targama_control_im", 14, 245);

    PaintBox1 = new QWidget(this);
    PaintBox1->setObjectName(QStringLiteral("PaintBox1"));
    PaintBox1->setGeometry(242, 74, 412, 354);
    PaintBox1->setCursor(Qt::PointingHandCursor);
    // The box paints all of itself, so nothing under it is painted first.
    PaintBox1->setAttribute(Qt::WA_OpaquePaintEvent);

    TrackBar1 = new QSlider(Qt::Horizontal, this);
    TrackBar1->setObjectName(QStringLiteral("TrackBar1"));
    TrackBar1->setGeometry(731, 176, 132, 28);
    TrackBar1->setRange(60, 100);
    TrackBar1->setSingleStep(1);
    TrackBar1->setPageStep(1);
    TrackBar1->setTickInterval(1);
    TrackBar1->setTickPosition(QSlider::TicksBelow);
    TrackBar1->setValue(60);
    TrackBar1->setAutoFillBackground(true);
    highlightFactor_lb = new QLabel(this);
    highlightFactor_lb->setObjectName(QStringLiteral("highlightFactor_lb"));
    highlightFactor_lb->setGeometry(767, 206, 60, 18);
    highlightFactor_lb->setAlignment(Qt::AlignCenter);
    highlightFactor_lb->setFont(face("Tahoma", 13, true));

    sora_cb = pictureList(this, "sora_cb", QRect(20, 287, 137, 26));
    telawaBy_cb = pictureList(this, "telawaBy_cb", QRect(20, 452, 137, 26));

    Panel2 = new QFrame(this);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setFrameShape(QFrame::Panel);
    Panel2->setFrameShadow(QFrame::Sunken);
    Panel2->setGeometry(20, 371, 137, 26);
    aya_ed = edit(Panel2, "aya_ed", QRect(30, 2, 90, 22), 0);
    aya_ed->setFont(face("Tahoma", 14, true));
    aya_ed->setAlignment(Qt::AlignCenter);
    aya_ed->setFrame(false);
    aya_ud = new UpDown(Panel2);
    aya_ud->setObjectName(QStringLiteral("aya_ud"));
    aya_ud->setGeometry(121, 2, 14, 22);

    pageNum_ed = edit(this, "pageNum_ed", QRect(434, 462, 30, 15), 0);
    pageNum_ed->setFrame(false);
    pageNum_ed->setAlignment(Qt::AlignCenter);
    pageNum_ed->setFont(face("Times New Roman", 13, true));
    pageNum_ed->setStyleSheet(QStringLiteral("color: #000080; background: #ffffff; padding: 0px;"));
    pageNum_ed->setTextMargins(0, 0, 0, 0);
    pageNum_ed->setText(QStringLiteral("1"));
    pageNum_lb = new QLabel(this);
    pageNum_lb->setObjectName(QStringLiteral("pageNum_lb"));
    pageNum_lb->hide();

    createButtons();

    // Recitation modes: one group of three radio buttons and the translation check box.
    ayaAndTargamaSound_rb = new QCheckBox(this);
    ayaAndTargamaSound_rb->setObjectName(QStringLiteral("ayaAndTargamaSound_rb"));
    ayaAndTargamaSound_rb->resize(17, 17);
    ayaAndTargamaSound_rb->setChecked(true);
    continuePlay_rb = radio(this, "continuePlay_rb");
    ayaAya_rb = radio(this, "ayaAya_rb");
    continueAya_rb = radio(this, "continueAya_rb");
    continuePlay_rb->setChecked(true);

    fromAya_pn = settingPanel(this, "fromAya_pn", fromAya_ed, "fromAya_ed", fromAya_ud, "fromAya_ud");
    toAya_pn = settingPanel(this, "toAya_pn", toAya_ed, "toAya_ed", toAya_ud, "toAya_ud");
    NoOfAyaRepeat_pn = settingPanel(this, "NoOfAyaRepeat_pn", NoOfAyaRepeat_ed, "NoOfAyaRepeat_ed",
                                    NoOfAyaRepeat_ud, "NoOfAyaRepeat_ud");
    times_pn = settingPanel(this, "times_pn", times_ed, "times_ed", times_ud, "times_ud");
    delay_pn = settingPanel(this, "delay_pn", delay_ed, "delay_ed", delay_ud, "delay_ud");
    fromAya_ud->setRange(1, 7);
    toAya_ud->setRange(1, 7);
    NoOfAyaRepeat_ud->setRange(1, 20);
    times_ud->setRange(1, 20);
    delay_ud->setRange(0, 60);
    fromAya_ud->setPosition(0);
    toAya_ud->setPosition(0);
    NoOfAyaRepeat_ud->setPosition(1);
    times_ud->setPosition(1);
    delay_ud->setPosition(1);
    fromAya_ed->setText(QStringLiteral("0"));
    NoOfAyaRepeat_ed->setText(QStringLiteral("0"));
    times_ed->setText(QStringLiteral("0"));
    delay_ed->setText(QStringLiteral("0"));
    for (QLineEdit* box : {fromAya_ed, toAya_ed, NoOfAyaRepeat_ed, times_ed, delay_ed})
        box->setReadOnly(true);
    for (UpDown* spinner : {fromAya_ud, toAya_ud, NoOfAyaRepeat_ud, times_ud, delay_ud})
        spinner->setEnabled(false);

    ayaRepeatFinished_ed = edit(this, "ayaRepeatFinished_ed", QRect(0, 0, 10, 10), 0);
    ayaRepeatFinished_ed->hide();
    targamaRepeatFinished_ed = edit(this, "targamaRepeatFinished_ed", QRect(0, 0, 10, 10), 0);
    targamaRepeatFinished_ed->hide();

    // The translation box: vertical scrolling only, on the box's cream.
    ScrollBox1 = new QScrollArea(this);
    ScrollBox1->setObjectName(QStringLiteral("ScrollBox1"));
    ScrollBox1->setGeometry(119, 572, 661, 65);
    ScrollBox1->setFrameShape(QFrame::NoFrame);
    ScrollBox1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ScrollBox1->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    ScrollBox1->setWidgetResizable(true);
    QPalette cream = ScrollBox1->palette();
    cream.setColor(QPalette::Window, QColor(255, 255, 237));
    ScrollBox1->setPalette(cream);
    ScrollBox1->setBackgroundRole(QPalette::Window);
    auto* scrolled = new QWidget;
    scrolled->setObjectName(QStringLiteral("ScrollBox1_contents"));
    scrolled->setAutoFillBackground(false);
    Image2 = image(scrolled, "Image2", 5, 2);
    scrolled->resize(661, 65);
    ScrollBox1->setWidget(scrolled);
    ScrollBox1->viewport()->setAutoFillBackground(true);
    ScrollBox1->viewport()->setPalette(cream);

    langNames_cb = new QComboBox(this);
    langNames_cb->setObjectName(QStringLiteral("langNames_cb"));
    langNames_cb->setGeometry(606, -6, 43, 21);
    langNames_cb->setMaxVisibleItems(10);
    langNames_cb->hide();

    applyLanguageLayout(zelan::ui::kRussian); // the design's own places
}

void Truvo_frm::applyLanguageLayout(int code) {
    const bool arabic = code == zelan::ui::kArabic;
    struct Place {
        QWidget* control;
        QPoint arabic;
        QPoint russian;
    };
    const Place places[] = {
        {zelanIndex_im, {704, 14}, {670, 14}},
        {times_pn, {730, 438}, {827, 429}},
        {delay_pn, {729, 474}, {816, 469}},
        {fromAya_pn, {799, 391}, {748, 373}},
        {toAya_pn, {730, 391}, {820, 373}},
        {NoOfAyaRepeat_pn, {801, 438}, {732, 429}},
        {color_bt_im, {20, 172}, {115, 172}},
        {repeatAya_bt_im, {736, 357}, {832, 339}},
        {ayaAndTargamaSound_rb, {848, 257}, {728, 251}},
        {continuePlay_rb, {848, 293}, {730, 281}},
        {ayaAya_rb, {848, 330}, {730, 316}},
        {continueAya_rb, {848, 366}, {730, 352}},
    };
    for (const Place& place : places)
        place.control->move(arabic ? place.arabic : place.russian);

    // The number boxes and labels read in the interface's direction.
    const Qt::LayoutDirection direction = arabic ? Qt::RightToLeft : Qt::LeftToRight;
    for (QWidget* control : std::initializer_list<QWidget*>{highlightFactor_lb, currTime_lb, pageNum_lb, pageNum_ed,
                                                           times_ed, delay_ed, aya_ed, toAya_ed, fromAya_ed})
        control->setLayoutDirection(direction);
}
