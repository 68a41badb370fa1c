#include "updown.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>

#include <algorithm>

namespace zelan::ui {

UpDown::UpDown(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::NoFocus);
}

void UpDown::setRange(int minimum, int maximum) {
    m_min = std::min(minimum, maximum);
    m_max = maximum;
    m_position = std::clamp(m_position, m_min, m_max);
    update();
}

void UpDown::setPosition(int position) {
    m_position = std::clamp(position, m_min, m_max);
}

QSize UpDown::sizeHint() const {
    return {17, 24};
}

QRect UpDown::buttonRect(Button button) const {
    const int half = height() / 2;
    return button == Button::Up ? QRect(0, 0, width(), half) : QRect(0, half, width(), height() - half);
}

void UpDown::paintEvent(QPaintEvent*) {
    QPainter p(this);
    for (const Button b : {Button::Up, Button::Down}) {
        QStyleOption option;
        option.initFrom(this);
        option.rect = buttonRect(b);
        const bool down = m_pressed == (b == Button::Up ? 0 : 1);
        option.state |= down ? QStyle::State_Sunken : QStyle::State_Raised;
        style()->drawPrimitive(QStyle::PE_PanelButtonBevel, &option, &p, this);
        option.rect = option.rect.adjusted(3, 2, -3, -2);
        style()->drawPrimitive(b == Button::Up ? QStyle::PE_IndicatorArrowUp : QStyle::PE_IndicatorArrowDown, &option,
                               &p, this);
    }
}

void UpDown::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    m_pressed = buttonRect(Button::Up).contains(event->position().toPoint()) ? 0 : 1;
    update();
}

void UpDown::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || m_pressed < 0)
        return;
    const Button button = m_pressed == 0 ? Button::Up : Button::Down;
    m_pressed = -1;
    update();
    if (!buttonRect(button).contains(event->position().toPoint()))
        return;
    setPosition(m_position + (button == Button::Up ? 1 : -1));
    emit clicked(button);
}

void UpDown::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange)
        m_pressed = -1;
    QWidget::changeEvent(event);
}

} // namespace zelan::ui
