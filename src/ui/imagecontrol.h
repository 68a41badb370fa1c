#pragma once

#include <QImage>
#include <QPoint>
#include <QWidget>

namespace zelan::ui {

// A picture that can be clicked: the control behind nearly every caption and button of the
// windows. It takes the size of each picture it is given, unless stretching is on; then it
// keeps its geometry and draws the picture stretched over itself (window backgrounds).
// Transparent pixels of the picture let the parent show through.
//
// For one left click the signals come in this order: mousePressed on the press, then on the
// release clicked (left button, released inside the control) and last mouseReleased. So a
// click action runs after the press handler and before the release handler. A double click is
// one click: its second press and release come as mousePressed and mouseReleased only.
class ImageControl : public QWidget {
    Q_OBJECT

public:
    explicit ImageControl(QWidget* parent = nullptr);

    const QImage& picture() const { return m_picture; }

    // Shows `picture` and, unless stretching is on, resizes the control to the picture's
    // size; an empty picture shows nothing and sizes the control 0 x 0.
    void setPicture(QImage picture);
    // The same as setting an empty picture.
    void clearPicture();

    bool stretch() const { return m_stretch; }
    // Turns stretching on or off; the geometry is left as it is either way.
    void setStretch(bool stretch);

    QSize sizeHint() const override;

    // Acts as a left click does (the click action runs guarded), for a key that stands for it.
    void click();

signals:
    void mousePressed(Qt::MouseButton button, QPoint position);
    void clicked();
    void mouseReleased(Qt::MouseButton button, QPoint position);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    QImage m_picture;
    QImage m_display; // m_picture as it is painted
    bool m_stretch = false;
    bool m_leftDown = false; // a left press began on this control and was not yet released
};

} // namespace zelan::ui
