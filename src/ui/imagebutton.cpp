#include "imagebutton.h"

#include "imagecontrol.h"

#include <QEvent>

namespace zelan::ui {

ImageButton::ImageButton(ImageControl* control, const PictureLibrary* library, Pictures pictures)
    : QObject(control), m_control(control), m_library(library), m_pictures(pictures) {
    m_control->installEventFilter(this);
    // Any mouse button shows the pressed picture and its release the resting one; only a left
    // click runs the button's action, between the two.
    connect(m_control, &ImageControl::mousePressed, this, [this] { pressed(); });
    connect(m_control, &ImageControl::mouseReleased, this, [this] { released(); });
}

void ImageButton::setCaption(std::function<void()> show, std::function<void()> hideAll) {
    m_showCaption = std::move(show);
    m_hideCaptions = std::move(hideAll);
}

void ImageButton::setActive(int picture, std::function<bool()> whileHovering, std::function<bool()> afterRelease) {
    m_active = picture;
    m_activeWhileHovering = std::move(whileHovering);
    m_activeAfterRelease = std::move(afterRelease);
}

void ImageButton::show(int id) {
    // Id 0: the button keeps the picture designed into its window.
    if (id == 0)
        return;
    loadButtonPicture(m_library ? *m_library : PictureLibrary(), m_control, id);
    m_shown = id;
}

int ImageButton::restingPicture(bool hovering) const {
    if (m_active && m_activeWhileHovering && m_activeWhileHovering())
        return m_active;
    return hovering ? m_pictures.hover : m_pictures.normal;
}

bool ImageButton::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_control) {
        if (event->type() == QEvent::Enter) {
            show(restingPicture(true));
            m_control->setCursor(Qt::PointingHandCursor);
            if (m_showCaption)
                m_showCaption();
        } else if (event->type() == QEvent::Leave) {
            if (m_hideCaptions)
                m_hideCaptions();
            show(restingPicture(false));
            m_control->setCursor(Qt::ArrowCursor);
        }
    }
    return false; // the control handles every event as before
}

void ImageButton::pressed() { show(m_pictures.pressed); }

void ImageButton::released() {
    const bool active = m_active && m_activeAfterRelease && m_activeAfterRelease();
    show(active ? m_active : m_pictures.normal);
}

} // namespace zelan::ui
