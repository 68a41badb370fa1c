#include "main2.h"

#include "designresources.h"
#include "imagebutton.h"
#include "imagecontrol.h"
#include "interfacelanguage.h"
#include "interfacelocale.h"
#include "messages.h"
#include "windowopacity.h"
#include "ruvo.h"

#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScopeGuard>
#include <QScreen>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <memory>

Tmain_frm2* main_frm2 = nullptr;
zelan::ui::PictureLibrary startPictureLibrary;

using zelan::ui::ImageButton;
using zelan::ui::ImageControl;
using zelan::ui::kArabic;
using zelan::ui::kRussian;

namespace {

constexpr int kWidth = 795;
constexpr int kHeight = 582;

ImageControl* imageAt(QWidget* parent, const char* name, QPoint position) {
    auto* control = new ImageControl(parent);
    control->setObjectName(QString::fromLatin1(name));
    control->move(position);
    return control;
}

QTimer* timer(QObject* owner, const char* name, int interval) {
    auto* t = new QTimer(owner);
    t->setObjectName(QString::fromLatin1(name));
    t->setInterval(interval);
    return t;
}

} // namespace

Tmain_frm2::Environment Tmain_frm2::systemEnvironment() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return {screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768), QLocale::system()};
}

Tmain_frm2::Tmain_frm2(const Environment& environment)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), m_screen(environment.screen),
      m_userLocale(environment.userLocale) {
    zelan::design::initDesignResources();
    setObjectName(QStringLiteral("main_frm2"));
    setWindowTitle(QStringLiteral("Zelan"));
    setFixedSize(kWidth, kHeight);

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(rect());
    main_im = imageAt(Panel1, "main_im", {0, 0});
    main_im->setStretch(true);
    main_im->setGeometry(Panel1->rect());
    arabic_im = imageAt(Panel1, "arabic_im", {599, 506});
    russian_im = imageAt(Panel1, "russian_im", {128, 506});
    swapLang_im = imageAt(Panel1, "swapLang_im", {368, 506});
    close_im = imageAt(Panel1, "close_im", {18, 523});
    close_im->setStretch(true);
    close_im->resize(46, 46);
    close_im->setPicture(QImage(QStringLiteral(":/design/start_close.png")));

    moveHor_tm = timer(this, "moveHor_tm", 50);
    fading_tm = timer(this, "fading_tm", 40);
    connect(moveHor_tm, &QTimer::timeout, this, &Tmain_frm2::moveHor_tmTimer);
    connect(fading_tm, &QTimer::timeout, this, &Tmain_frm2::fading_tmTimer);
    connect(arabic_im, &ImageControl::clicked, this, &Tmain_frm2::arabic_imClick);
    connect(russian_im, &ImageControl::clicked, this, &Tmain_frm2::russian_imClick);
    connect(swapLang_im, &ImageControl::clicked, this, &Tmain_frm2::swapLang_imClick);
    connect(close_im, &ImageControl::clicked, this, &Tmain_frm2::close_imClick);

    arabicButton = new ImageButton(arabic_im, &startPictureLibrary, {327, 469, 470});
    russianButton = new ImageButton(russian_im, &startPictureLibrary, {328, 471, 472});
    swapLangButton = new ImageButton(swapLang_im, &startPictureLibrary, {466, 473, 474});

    // The window enters from just beyond the right edge, invisible, at the vertical centre,
    // and reaches the centre (or full opacity) after about 255 ticks.
    const int screenWidth = m_screen.width();
    slideStep = std::ceil(double((screenWidth - kWidth) / 2 + kWidth) / 255.0);
    setOpacity(0);
    move(m_screen.x() + screenWidth, m_screen.y() + (m_screen.height() - kHeight) / 2);

    FormCreate();
    moveHor_tm->start();
}

Tmain_frm2::~Tmain_frm2() = default;

void Tmain_frm2::setOpacity(int value) {
    m_opacity = std::clamp(value, 0, 255);
    zelan::ui::setWindowOpacityByte(this, m_opacity);
}

int Tmain_frm2::centredLeft() const {
    return m_screen.x() + (m_screen.width() - kWidth) / 2;
}

void Tmain_frm2::setLeft(int left) {
    move(left, y());
}

void Tmain_frm2::stopTimers() {
    moveHor_tm->stop();
    fading_tm->stop();
}

void Tmain_frm2::FormCreate() {
    languageCode = m_userLocale.language() == QLocale::Russian ? kRussian : kArabic;
    startPictureLibrary = zelan::ui::loadPictureLibrary(languageCode);
    if (startPictureLibrary)
        loadStartPictures();
}

void Tmain_frm2::loadStartPictures() {
    zelan::ui::loadPicture(startPictureLibrary, main_im, 174);
    zelan::ui::loadButtonPicture(startPictureLibrary, arabic_im, 327);
    zelan::ui::loadButtonPicture(startPictureLibrary, russian_im, 328);
    zelan::ui::loadButtonPicture(startPictureLibrary, swapLang_im, 466);
    using zelan::ui::nameControl;
    nameControl(startPictureLibrary, arabic_im, 188);
    nameControl(startPictureLibrary, russian_im, 189);
    nameControl(startPictureLibrary, swapLang_im, 190);
    nameControl(startPictureLibrary, close_im, 185);
}

void Tmain_frm2::reloadStartLanguage() {
    // loadPictureLibrary hands out the library loaded before for the same file, so switching
    // back and forth reads each file once.
    zelan::ui::PictureLibrary library = zelan::ui::loadPictureLibrary(languageCode);
    if (!library)
        return; // the message is shown and the program is ending
    startPictureLibrary = std::move(library);
    loadStartPictures();
}

void Tmain_frm2::moveHor_tmTimer() {
    if (x() < centredLeft() || m_opacity >= 255) {
        moveHor_tm->stop();
        setOpacity(255);
        fading_tm->start();
        return;
    }
    setLeft(static_cast<int>(x() - slideStep));
    setOpacity(m_opacity + 1);
}

void Tmain_frm2::fading_tmTimer() {
    setOpacity(m_opacity - 1);
    if (m_opacity == 0) {
        stopTimers();
        arabic_imClick();
    }
}

void Tmain_frm2::arabic_imClick() {
    setLeft(centredLeft());
    languageCode = kArabic;
    stopTimers();
    reloadStartLanguage();
    // Without its library the main window would only repeat the message before the end.
    if (zelan::ui::applicationEnding())
        return;
    openMainWindow();
    setOpacity(255);
}

void Tmain_frm2::russian_imClick() {
    setLeft(centredLeft());
    stopTimers();
    setOpacity(255);
    languageCode = kRussian;
    reloadStartLanguage();
    if (zelan::ui::applicationEnding())
        return;
    openMainWindow();
}

void Tmain_frm2::swapLang_imClick() {
    setLeft(centredLeft());
    languageCode = languageCode == kArabic ? kRussian : kArabic;
    reloadStartLanguage();
}

void Tmain_frm2::close_imClick() {
    stopTimers();
    zelan::ui::endApplication(0);
}

void Tmain_frm2::FormKeyPress(int key) {
    if (key != Qt::Key_Escape)
        return;
    hide();
    if (x() != centredLeft())
        setLeft(centredLeft());
    show();
}

void Tmain_frm2::keyPressEvent(QKeyEvent* event) {
    FormKeyPress(event->key());
    QWidget::keyPressEvent(event);
}

void Tmain_frm2::openMainWindow() {
    zelan::app::applyInterfaceLocale(languageCode);
    // The window is destroyed before the global forgets it, so that its own close and
    // destruction still find it there; the guard also covers an exception from the modal run.
    const auto forget = qScopeGuard([] { ruvo_frm = nullptr; });
    const std::unique_ptr<Truvo_frm> window(new Truvo_frm(this));
    ruvo_frm = window.get();
    zelan::ui::showModal(ruvo_frm);
}
