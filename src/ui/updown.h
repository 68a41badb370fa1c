#pragma once

#include <QWidget>

#include <algorithm>

namespace zelan::ui {

// An up-down spinner that is not bound to a box: two arrows, lower and upper limits and a
// position. A click on an arrow moves the position by one within the limits (it does not
// wrap) and then signals the click, whether or not the position moved, so that the window
// can copy the position into its box.
class UpDown : public QWidget {
    Q_OBJECT

public:
    enum class Button { Up, Down };

    explicit UpDown(QWidget* parent = nullptr);

    int minimum() const { return m_min; }
    int maximum() const { return m_max; }
    int position() const { return m_position; }

    // Sets both limits; a position outside them moves to the nearer limit. A lower limit
    // above the upper one is taken as the upper one.
    void setRange(int minimum, int maximum);
    void setMinimum(int minimum) { setRange(minimum, std::max(minimum, m_max)); }
    void setMaximum(int maximum) { setRange(std::min(m_min, maximum), maximum); }
    // Sets the position, kept within the limits. Signals nothing.
    void setPosition(int position);

    QSize sizeHint() const override;

signals:
    void clicked(zelan::ui::UpDown::Button button);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QRect buttonRect(Button button) const;

    int m_min = 0;
    int m_max = 100;
    int m_position = 0;
    int m_pressed = -1; // the arrow held down: 0 up, 1 down, -1 none
};

} // namespace zelan::ui
