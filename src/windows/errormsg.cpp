#include "errormsg.h"

#include "imagebutton.h"
#include "imagecontrol.h"
#include "messages.h"
#include "windowopacity.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

TerrorMsg_frm* errorMsg_frm = nullptr;

namespace {
constexpr int kStep = 25;
constexpr int kTick = 100; // ms
} // namespace

TerrorMsg_frm::TerrorMsg_frm(QWidget* owner, const zelan::ui::PictureLibrary& library)
    : QDialog(owner, Qt::Dialog | Qt::FramelessWindowHint), m_library(library) {
    setObjectName(QStringLiteral("errorMsg_frm"));
    resize(600, 200);
    errorMsg_im = new zelan::ui::ImageControl(this);
    errorMsg_im->setObjectName(QStringLiteral("errorMsg_im"));
    cancelButton_im = new zelan::ui::ImageControl(this);
    cancelButton_im->setObjectName(QStringLiteral("cancelButton_im"));
    cancelButton_im->move(486, 135);
    m_cancelButton = new zelan::ui::ImageButton(cancelButton_im, &m_library, {468, 477, 478});
    connect(cancelButton_im, &zelan::ui::ImageControl::clicked, this, &TerrorMsg_frm::cancelButton_imClick);
    Timer1 = new QTimer(this);
    Timer1->setInterval(kTick);
    connect(Timer1, &QTimer::timeout, this, &TerrorMsg_frm::Timer1Timer);
    Timer2 = new QTimer(this);
    Timer2->setInterval(kTick);
    connect(Timer2, &QTimer::timeout, this, &TerrorMsg_frm::Timer2Timer);

    // The message picture, and the window sized to it.
    zelan::ui::loadPicture(m_library, errorMsg_im, 538);
    zelan::ui::nameControl(m_library, cancelButton_im, 193);
    if (!errorMsg_im->size().isEmpty())
        resize(errorMsg_im->size());
    zelan::ui::loadButtonPicture(m_library, cancelButton_im, 468);
    cancelButton_im->raise();
    setOpacity(25);
}

void TerrorMsg_frm::setOpacity(int opacity) {
    m_opacity = std::clamp(opacity, 0, 255);
    zelan::ui::setWindowOpacityByte(this, m_opacity);
}

void TerrorMsg_frm::showEvent(QShowEvent* event) {
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
    setOpacity(25);
    Timer1->start();
    QDialog::showEvent(event);
}

void TerrorMsg_frm::Timer1Timer() {
    setOpacity(m_opacity + kStep);
    if (m_opacity >= 250)
        Timer1->stop();
}

void TerrorMsg_frm::cancelButton_imClick() {
    // A fade-in still running stops here, so that the two fades never pull against each
    // other and the popup always ends closed.
    Timer1->stop();
    setOpacity(255);
    Timer2->start();
}

void TerrorMsg_frm::Timer2Timer() {
    setOpacity(m_opacity - kStep);
    if (m_opacity <= 25) {
        Timer2->stop();
        close();
    }
}

void TerrorMsg_frm::closeEvent(QCloseEvent* event) {
    Timer1->stop();
    Timer2->stop();
    QDialog::closeEvent(event);
}

void showErrorPopup(QWidget* owner, const zelan::ui::PictureLibrary& library) {
    TerrorMsg_frm popup(owner, library);
    errorMsg_frm = &popup;
    zelan::ui::showModal(&popup);
    errorMsg_frm = nullptr;
}
