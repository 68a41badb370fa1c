#include "imagecontrol.h"

#include "guardedcall.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPointer>
#include <utility>

namespace zelan::ui {

ImageControl::ImageControl(QWidget* parent) : QWidget(parent) {
    // Nothing is filled behind the picture, so transparent pixels show the parent.
    setAttribute(Qt::WA_NoSystemBackground);
    resize(0, 0);
}

void ImageControl::setPicture(QImage picture) {
    m_picture = std::move(picture);
    // Painted in the raster engine's own format, so a paint does not convert the whole
    // picture each time (the window backgrounds are large).
    m_display = m_picture.hasAlphaChannel() && m_picture.format() != QImage::Format_ARGB32_Premultiplied
                    ? m_picture.convertToFormat(QImage::Format_ARGB32_Premultiplied)
                    : m_picture;
    if (!m_stretch) {
        resize(m_picture.size());
        updateGeometry();
    }
    update();
}

void ImageControl::clearPicture() {
    setPicture(QImage());
}

void ImageControl::setStretch(bool stretch) {
    if (m_stretch == stretch)
        return;
    m_stretch = stretch;
    update();
}

QSize ImageControl::sizeHint() const {
    return m_stretch ? QWidget::sizeHint() : m_picture.size();
}

void ImageControl::paintEvent(QPaintEvent* event) {
    if (m_picture.isNull())
        return;
    QPainter painter(this);
    if (m_stretch && m_display.size() != size())
        painter.drawImage(rect(), m_display);
    else
        painter.drawImage(event->rect().topLeft(), m_display, event->rect());
}

void ImageControl::mousePressEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() == Qt::LeftButton)
        m_leftDown = true;
    emit mousePressed(event->button(), event->position().toPoint());
}

void ImageControl::click() {
    runGuarded([this] { emit clicked(); });
}

void ImageControl::mouseDoubleClickEvent(QMouseEvent* event) {
    // The second press of a double click comes as this notice alone (on a platform that sends
    // a press before it, the press came already): it shows as pressed, but its release is no
    // click.
    event->accept();
    const bool pressSeen = event->button() == Qt::LeftButton && m_leftDown;
    if (event->button() == Qt::LeftButton)
        m_leftDown = false;
    if (!pressSeen)
        emit mousePressed(event->button(), event->position().toPoint());
}

void ImageControl::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    const Qt::MouseButton button = event->button();
    const QPoint position = event->position().toPoint();
    const bool click = button == Qt::LeftButton && m_leftDown && rect().contains(position);
    if (button == Qt::LeftButton)
        m_leftDown = false;
    // A click action may close the window and delete this control; nothing touches it after.
    const QPointer<ImageControl> self(this);
    if (click) {
        runGuarded([this] { emit clicked(); });
        if (!self)
            return;
    }
    emit mouseReleased(button, position);
}

} // namespace zelan::ui
